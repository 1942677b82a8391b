// main() of the window-system tests: one QApplication for the whole run, offscreen.
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

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

int main(int argc, char** argv)
{
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
