#pragma once

#include "infobase/history/UndoHistory.h"
#include "infobase/store/RecordStore.h"
#include "infobase/tree/BranchMoves.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeViewState.h"
#include "infobase/wholefile/TreeFileRewrite.h"
#include "ui/ImageList.h"

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class PictureView;
class QAction;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTextEdit;
class QTimer;
class QToolButton;
class QTreeView;
class SearchBar;
class TForm_ob_prilojenii;
class TForm_zastavka;
class TextFontDialog;
class TqsSkinMessage;
class TreeModelAdapter;
namespace infobase {
class BackupCopies;
}

// The main window. It owns every component of the program; every command is one of its
// handlers. Its definition is split by concern: components (Form_GlavnComponents.cpp),
// menus (Form_GlavnMenus.cpp), layout (Form_GlavnLayout.cpp), start and shut-down
// (Form_GlavnLifecycle.cpp), the tree view's display settings (Form_GlavnTreeView.cpp),
// the connect command (Form_GlavnConnect.cpp), attachments (Form_GlavnAttachments.cpp),
// the text pane (Form_GlavnTextPane.cpp), moving branches (Form_GlavnTreeMoves.cpp), ordering
// them (Form_GlavnTreeSort.cpp), the search (Form_GlavnSearch.cpp, Form_GlavnSearchHits.cpp)
// and undo and redo (Form_GlavnUndo.cpp).
class TForm_Glavn : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize kDesignedClientSize{1324, 732};
    static constexpr int kTreeWidth = 457;  // T of the layout rule
    static constexpr int kPanelWidth = 464; // P of the layout rule
    static constexpr std::uint32_t kLogonNameCapacity = 16;

    // Creates the window hidden, with every component in its state at start; runs
    // FormCreate. The splash and about windows are attached afterwards.
    explicit TForm_Glavn(QWidget* parent = nullptr);
    ~TForm_Glavn() override;

    // --- State read by the commands.
    QString Base;                                    // the application folder
    std::uint32_t Size = 0;                          // capacity of PRes, then what the query wrote
    std::array<char16_t, kLogonNameCapacity> PRes{}; // logon name, zero-terminated
    bool BRes = false;                               // whether the logon name was obtained
    QString Path;                                    // last attachment extracted by "open"

    // --- Windows created after this one by the start-up sequence.
    TForm_zastavka* Form_zastavka = nullptr;
    TForm_ob_prilojenii* Form_ob_prilojenii = nullptr;

    // --- Components, in creation order.
    QToolButton* Button_podluchit_bazy;
    PictureView* Image1;
    QTreeView* TreeView1;
    QGroupBox* GroupBox_Rab_Vet_Tree;
    QLabel* Label1;
    QToolButton* SpeedButton_vvod_vetki;
    QToolButton* SpeedButton_vvod_podvetki;
    QToolButton* SpeedButton_Delete;
    QToolButton* SpeedButton3;
    QLabel* Label2;
    QToolButton* SpeedButton_File;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton_zam_opisanie_podvetki;
    QToolButton* SpeedButton1;
    QLineEdit* Edit_Mame_Vetok;
    QPlainTextEdit* Memo_opisanie;
    QProgressBar* ProgressBar1;
    QTextEdit* RichEdit;
    QTimer* Timer1;
    ImageList ImageList1;
    // The file dialog of the attach command and the font dialog of the text pane.
    QFileDialog* OpenDialog1;
    TextFontDialog* FontDialog;
    // The message component through which every message of the window is shown.
    std::unique_ptr<TqsSkinMessage> MessageDl;

    // --- The information tree shown by TreeView1, and the display settings of TreeView1
    // that the tree file keeps (its bounds follow the docking).
    infobase::TTreeNodes TreeNodes;
    std::unique_ptr<TreeModelAdapter> TreeModel;
    infobase::TreeViewState TreeView1State;
    // The changes of the tree made since the last commit, for the next one to keep.
    infobase::TreeChangeList TreeChangesToCommit;

    // --- Menus.
    QMenu* N1;
    QAction* Pokazat;
    QAction* Skryt;
    QAction* N2;
    QAction* N_save_copy;
    QAction* N_poisk; // the search, also Ctrl+F
    // F3 and Shift+F3: the next and the previous place of the search's query in the text pane.
    QAction* N_sled_nayden;
    QAction* N_pred_nayden;
    QMenu* PopupMenu_Image;
    QAction* N_Strech;
    QAction* N_norm_syze;
    QMenu* PopupMenu_Text;
    QAction* Word1;
    QAction* N5;
    QAction* N6;
    QAction* N7;
    QAction* N8;
    QAction* N9;
    QAction* N10;
    // The tree's menu: the four moves of the selected branch, the ordering of its
    // sub-branches and of the top level; the moves also answer their keys in the tree.
    QMenu* PopupMenu_Tree;
    QAction* N_vverh;
    QAction* N_vniz;
    QAction* N_uroven_vyshe;
    QAction* N_uroven_nizhe;
    QAction* N_po_alfavitu;
    QAction* N_po_alfavitu_obratno;
    QAction* N_verhniy_po_alfavitu;
    QAction* N_verhniy_obratno;
    // The menu "Правка": undo and redo of the changes of the data (Form_GlavnUndo.cpp).
    QMenu* N_pravka;
    QAction* N_otmenit;
    QAction* N_povtorit;

    // --- The record store: ADOConnection1, Query_Glav and Query_Parole.
    infobase::RecordStore Store;
    infobase::BranchQuery& Query_Glav;
    // The changes of the data made in this run, to take back and do again. Declared after the
    // store, whose side tables it empties when it goes.
    infobase::UndoHistory UndoHistory1;
    // Rewrites the tree file from the changes commits keep in the base, made at the connect.
    std::unique_ptr<infobase::TreeFileRewriter> TreeRewriter;
    // The search window, made at its first opening after the connect. Declared after the
    // store and the tree, which it reads, so that it goes first.
    std::unique_ptr<SearchBar> SearchBar1;

    // Shows a message: MessageDlg on MessageDl with mtInformation, the one button mbYes
    // and help context 0.
    void showMessage(const QString& text);
    // Makes sure the Temp folder is there and private before an attachment is extracted to
    // it. False, after saying so, when a folder of that name is not the user's own.
    bool prepareTempFolder();
    // Says that the Temp folder is not the user's own, so that nothing is extracted to it.
    void reportTempNotOwn();
    // Shows a text in the text pane, in the pane's own font whatever font was chosen for
    // the text shown before.
    void showPaneText(const QString& text);
    // Applies TreeView1State to TreeView1 (after the tree file was read).
    void applyTreeViewState();
    // Paints what is waiting to be painted in the middle of a command without taking the
    // user's input, so that no other command can start between its steps. A close of the
    // window asked for meanwhile waits until the command has ended.
    void PaintPendingWork();

    // --- Handlers.
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void FormResize();
    void PokazatClick();
    void SkrytClick();
    void N2Click();
    void N_StrechClick();
    void N_norm_syzeClick();
    void FormClose();
    bool DelFiles(const QString& folder);
    void Button_podluchit_bazyClick();
    // Before the connect: a base of the Windows program in Data is offered for bringing
    // across (Form_GlavnJetImport.cpp). False when the connect is to end here, after a
    // message; the note to show once connected tells what was brought across.
    bool prepareWindowsBase(QString* importedNote);
    void Word1Click();
    void SpeedButton_FileClick();
    void SpeedButton4Click();
    void SpeedButton1Click();
    void N5Click();
    void N7Click();
    void N8Click();
    void N10Click();
    void TreeView1Click();
    void SpeedButton_vvod_vetkiClick();
    void SpeedButton_vvod_podvetkiClick();
    void SpeedButton_DeleteClick();
    void SpeedButton3Click();
    void SpeedButton_zam_opisanie_podvetkiClick();
    // Moving branches: one step of the selected branch (nothing when the step is not
    // possible or no branch is selected), ordering its sub-branches by name, and a dragged
    // branch dropped at its new place. Each rewrites the tree file.
    void MoveSelectedBranch(infobase::BranchStep step);
    void N_po_alfavituClick();
    // Orders the branch's sub-branches (nullptr: the top level) by name (Form_GlavnTreeSort.cpp).
    void sortBranches(infobase::TTreeNode* parent, infobase::SortDirection direction);
    void DropBranch(infobase::TTreeNode* node, infobase::TTreeNode* newParent, int index);
    void N_save_copyClick();
    // Undo and redo (Ctrl+Z; Ctrl+Y and Ctrl+Shift+Z): nothing when there is no step.
    void N_otmenitClick();
    void N_povtoritClick();
    // Records the change of the data a command makes while the result lives, as one step
    // the user can take back; what the command acted on names the step in the menu.
    [[nodiscard]] infobase::UndoHistory::Recording recordUndo(infobase::UndoCommand command,
                                                              const QString& name);
    // Opens the search window; before the connect says that the base comes first.
    void N_poiskClick();
    // Shows a branch the search found: its parents expanded, the branch selected and shown
    // by the tree's click handler, so that every command afterwards acts on it.
    void showFoundBranch(infobase::TTreeNode* node);
    // Shows the branch's own text in the text pane with the first place of the search's
    // query selected and in sight (Form_GlavnSearchHits.cpp).
    void showFoundText(infobase::TTreeNode* node);
    // Selects the next (or the previous) place of the search's query in the text pane.
    void stepHit(bool forward);
    // Copies one file into the set of backup copies, the progress bar following the copy.
    void CopyFileWithProgressBar1(infobase::BackupCopies& copies, const QString& source,
                                  const QString& destination);

    // The one way a change of the tree is stored: the changes made to the tree in memory since
    // the last commit and the record work that belongs to them (a post or delete on
    // Query_Glav; may be empty) are stored whole or not at all (Form_GlavnTreeCommit.cpp). On
    // failure nothing is stored and Failure is thrown; the caller then takes back its change
    // of the tree in memory.
    void commitTreeChange(const std::function<void()>& recordWork = {});
    // The same for the deletion of a leaf still in the tree, which leaves the tree only once
    // the deletion is stored.
    void commitLeafDeletion(infobase::TTreeNode* leaf, const std::function<void()>& recordWork);
    // Brings the tree file up to date with the changes stored in the base, now (before a
    // backup and at the close). Throws Failure when it cannot be done.
    void writeTreeFileNow();

    // Runs the show step (FormShow) before the window first appears on screen.
    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createComponents();
    void createMainMenu();
    void createPopupMenus();
    void dockTreeView(QSize clientSize);
    void setPaneLeft(int left);
    void createAttachmentCommands();
    // Says that the desktop has no application for an extracted attachment.
    void reportNoApplication(const QString& path);
    void createTextPaneCommands();
    void createSearchCommand();
    void createHitSteps();
    // The search window's query, or empty before it was opened.
    QString searchQuery() const;
    // Undo and redo (Form_GlavnUndo.cpp): the menu, its keys, the history at the connect,
    // the captions and an undo or redo carried out.
    void createUndoCommands();
    void startUndoHistory();
    void showUndoState();
    void runHistoryStep(bool back);
    // Branch display (Form_GlavnBranchDisplay.cpp) and editing (Form_GlavnBranchEditing.cpp).
    void connectBranchDisplay();
    void connectBranchEditing();
    // At the connect: finishes a commit of the tree that stopped half way, and reads the
    // tree again when that replaced the tree file (or, when the committed tree cannot be put
    // in place yet, from the file that holds it, and says so). Returns the file the tree in
    // memory was read from.
    QString finishTreeCommit();
    // Before a backup: a committed tree not yet in place is put there, so that the copies
    // agree; the backup is refused (Failure) while that cannot be done.
    void finishTreeCommitBeforeBackup();
    // Reads the tree from the file in place of the tree in memory.
    void rereadTree(const QString& file);
    // At the connect, after finishTreeCommit: carries out on the tree read from the file the
    // changes a stopped run stored in the base only, and starts the rewriter.
    void startTreeRewriter(const QString& fileRead);
    void adoptTreeFile(const QString& fileRead);
    // Stores the changes by the way they can be: as changes kept in the base, or, while the
    // base holds no digest of the tree file or the file was changed by another program, by
    // writing the whole tree file (with `without` left out, when given).
    infobase::TreeCommitted storeTreeChanges(const std::function<void()>& recordWork,
                                             const infobase::TTreeNode* without = nullptr);
    void showTreeFileProblem(const QString& text);
    QString lastTreeFileProblem_;
    // The tree file's fileStamp when the tree in memory was read from it.
    QByteArray treeFileReadStamp_;
    // The node an index of the tree refers to, or nullptr.
    infobase::TTreeNode* nodeOf(const QPersistentModelIndex& index) const;
    // The branch the last click in the tree showed: the name and description fields belong
    // to it. Invalid before any click and after the branch was deleted.
    QPersistentModelIndex shownBranch_;
    // The branch whose text the text pane holds, or for which the pane was opened for
    // writing: its save goes to this branch's record only.
    QPersistentModelIndex paneBranch_;
    // Moving branches (Form_GlavnTreeMoves.cpp).
    void createTreeMoves();
    void connectTreeSorts();
    // Keys, Tab order and focus (Form_GlavnKeys.cpp); the panes' accessible names, which
    // say whose picture and text they show (Form_GlavnPaneNames.cpp).
    void createCommandKeys();
    void nameShownPanes();
    // Keeps a change of the tree's shape: writes the tree file and shows the branch where it
    // went. When the file cannot be written, the change is taken back and the failure thrown.
    void keepShapeChange(const std::optional<infobase::ShapeChange>& change,
                         infobase::TTreeNode* shown);
    // Set while PaintPendingWork lets events through, and while a close waits for the
    // command that was running when it was asked for.
    bool paintingPendingWork_ = false;
    bool closeWaiting_ = false;
};
