#include "ui/ProgramWindows.h"

#include "ui/Form_Glavn.h"
#include "ui/Form_ob_prilojenii.h"
#include "ui/Form_zastavka.h"

namespace ui {

std::unique_ptr<TForm_Glavn> createProgramWindows() {
    auto mainWindow = std::make_unique<TForm_Glavn>();
    mainWindow->Form_zastavka = new TForm_zastavka(mainWindow.get());
    mainWindow->Form_ob_prilojenii = new TForm_ob_prilojenii(mainWindow.get());
    return mainWindow;
}

} // namespace ui
