#include "ui/Form_Glavn.h"

#include "skin/qsMessages.h"
#include "ui/FocusReturn.h"
#include "ui/Fonts.h"
#include "ui/SearchBar.h"
#include "ui/TreeModelAdapter.h"

#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

TForm_Glavn::TForm_Glavn(QWidget* parent)
    : QMainWindow(parent), MessageDl(CreateMainWindowMessageDl(this)),
      TreeModel(std::make_unique<TreeModelAdapter>(TreeNodes)), Query_Glav(Store.Query_Glav) {
    setObjectName(QStringLiteral("Form_Glavn"));
    TreeNodes.addRecorder(&TreeChangesToCommit);
    setWindowTitle(QStringLiteral("Окно главное Тальверо"));
    setFont(ui::tahoma(11));
    createComponents();
    createMainMenu();
    createPopupMenus();
    createAttachmentCommands();
    createTextPaneCommands();
    TreeView1->setModel(TreeModel.get());
    resize(kDesignedClientSize.width(),
           kDesignedClientSize.height() + menuBar()->sizeHint().height());

    connect(Timer1, &QTimer::timeout, this, &TForm_Glavn::Timer1Timer);
    connect(Button_podluchit_bazy, &QToolButton::clicked, this,
            &TForm_Glavn::Button_podluchit_bazyClick);
    connectBranchDisplay();
    connectBranchEditing();
    createTreeMoves();
    createCommandKeys();
    createUndoCommands();
    FormCreate();
}

TForm_Glavn::~TForm_Glavn() {
    TreeNodes.removeRecorder(&TreeChangesToCommit);
}

void TForm_Glavn::showMessage(const QString& text) {
    const FocusReturn focusBack(TreeView1);
    MessageDl->MessageDlg(text, mtInformation, TMsgDlgButtons{mbYes}, 0);
}
