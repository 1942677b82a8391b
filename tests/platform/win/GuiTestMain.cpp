// main() of the window-system tests: one QApplication for the whole run, offscreen.
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace guitest
{

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds bound)
{
    if (pred())
        return true;
    QElapsedTimer elapsed;
    elapsed.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop,
                     [&]
                     {
                         if (pred() || elapsed.elapsed() > bound.count())
                             loop.quit();
                     });
    tick.start(2);
    loop.exec();
    return pred();
}

} // namespace guitest

namespace
{
// The offscreen platform reports window-manager requests it cannot honour; they say nothing
// about the code under test.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("This plugin does not support")))
        return;
    static const QtMessageHandler previous = nullptr;
    if (previous != nullptr)
        previous(type, context, message);
    else
        fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(&FilterMessages);
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
