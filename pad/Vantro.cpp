// Program entry: the application, its three forms, and the message loop.
#include <windows.h>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "pad/VTform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace vcl;
    TApplication app;
    app.SetTitle("Vantro Pad");
    app.Initialize();
    app.CreateForm(&VTform);
    app.CreateForm(&EditForm);
    app.CreateForm(&SetTitle);
    app.SetShowMainForm(false);
    app.Run();
    app.DestroyForms();
    return 0;
}
