#include "app/ModuleApp.h"

int main(int argc, char** argv)
{
    CModuleApp app(argc, argv);
    app.InitInstance();
    return 0;
}
