// The process entry of a framework program: everything happens in the application object.
#include "platform/afx/CWinApp.h"

int main(int argc, char** argv)
{
    return AfxWinMain(argc, argv);
}
