// The client's entry point: the one application object, then the platform's start (Init, Run, Exit).
#include "shell/ClientApp.h"

static CClientApp theApp;

int main(int argc, char** argv)
{
    return MzRunApplication(argc, argv);
}
