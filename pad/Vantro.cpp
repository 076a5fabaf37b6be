// Program entry: the application, its three forms, and the message loop.
#include <windows.h>

#include "dialogs/ListEdit.h"
#include "dialogs/TitleSet.h"
#include "pad/SingleInstance.h"
#include "pad/VTform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace vcl;
    // One pad per settings file: a second start hands over to the pad that
    // runs and ends here, before anything reads or writes the file.
    SingleInstance instance;
    if (!instance.Claim(kHandOverWait)) return 0;
    TApplication app;
    app.SetTitle("Vantro Pad");
    app.Initialize();
    app.CreateForm(&VTform);
    instance.Mark(VTform->Handle());
    app.CreateForm(&EditForm);
    app.CreateForm(&SetTitle);
    app.SetShowMainForm(false);
    app.Run();
    app.DestroyForms();
    return 0;
}
