// The click in the tree: puts the clicked branch's name into the name field and, for a
// branch without sub-branches, shows its record: the text in the text pane, or the
// description and the attached picture in the picture pane.
#include "common/Failure.h"
#include "infobase/AppPaths.h"
#include "infobase/store/AttachmentFiles.h"
#include "infobase/store/AttachmentPresence.h"
#include "infobase/store/BranchQuery.h"
#include "infobase/store/BranchText.h"
#include "platform/JpegDecoder.h"
#include "ui/Form_Glavn.h"
#include "ui/PictureView.h"
#include "ui/TreeModelAdapter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeView>

namespace {

const QString kNotAPicture = QStringLiteral("Это файл не jpg.\rОткройте его кликнув кнопку "
                                            "\"Открыть прикреплённый файл отдельно\".");

// Runs the tree's click handler at every release of the left mouse button inside the
// tree: on a label, on an expand button and on empty space alike. The press has already
// moved the selection, so the handler sees the selection the click leaves; keyboard
// selection never runs it. A press on empty space keeps the selection as it is. The handler
// runs while the release is delivered, so that a later click, which is user input, cannot
// start while this one paints.
class TreeClickWatch : public QObject {
public:
    explicit TreeClickWatch(TForm_Glavn* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
            type != QEvent::MouseButtonRelease) {
            return false;
        }
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonRelease) {
            if (mouse->button() == Qt::LeftButton) {
                window_->TreeView1Click();
            }
            return false;
        }
        return !window_->TreeView1->indexAt(mouse->position().toPoint()).isValid();
    }

private:
    TForm_Glavn* window_;
};

// Extracts the current record's attachment to the Temp folder and shows it as the picture
// pane's picture. A record without an attachment leaves the pane's picture as it was;
// anything that is not a readable JPEG picture throws.
void showAttachment(TForm_Glavn& window) {
    infobase::BranchQuery& query = window.Query_Glav;
    const qint32 kind = query.FieldByName(QStringLiteral("RashirenieFile")).AsInteger();
    const infobase::BranchField& file = query.FieldByName(QStringLiteral("File"));
    const QString fileName = infobase::extractedAttachmentName(kind);
    if (fileName.isEmpty()) {
        if (infobase::hasAttachment(file)) {
            throw Failure(QStringLiteral("Unknown attachment kind %1").arg(kind));
        }
        return;
    }
    if (!window.prepareTempFolder()) {
        return;
    }
    const QString path = infobase::AppPaths{window.Base}.tempFolder() + fileName;
    if (infobase::extractAttachment(file, path) == 0) {
        return;
    }
    if (!QFileInfo::exists(path)) {
        window.showMessage(QStringLiteral("Файл") + path +
                           QStringLiteral(" в папке Data не найден."));
        return;
    }
    if (kind != infobase::kindJpeg) {
        throw Failure(QStringLiteral("Not a picture: %1").arg(path));
    }
    QFile picture(path);
    if (!picture.open(QIODevice::ReadOnly)) {
        throw Failure(picture.errorString());
    }
    const qint64 size = picture.size();
    const uchar* mapped = picture.map(0, size);
    const QByteArray copy = mapped ? QByteArray() : picture.readAll();
    const QByteArrayView bytes = mapped ? QByteArrayView(mapped, size) : QByteArrayView(copy);
    window.Image1->setPicture(platform::decodeJpeg(bytes, window.Image1->size()));
    window.PaintPendingWork();
}

// A branch with sub-branches shows no record, but the description field must not keep
// another branch's description: a rename stores the field into this branch's record.
void showOwnDescription(TForm_Glavn& window, const QString& name) {
    infobase::BranchQuery& query = window.Query_Glav;
    if (query.LocateOwn(name)) {
        window.Memo_opisanie->setPlainText(
            infobase::paneTextFromTexty(query.FieldByName(QStringLiteral("Opisanie")).AsString()));
    } else {
        window.Memo_opisanie->clear();
    }
}

// Shows the own record of a branch without sub-branches, the one the commands write to. The
// description field always shows that record's description, exactly as stored.
void showBranchRecord(TForm_Glavn& window, const QString& name) {
    infobase::BranchQuery& query = window.Query_Glav;
    if (!query.LocateOwn(name)) {
        // No record of its own: empty panes rather than another branch's data.
        window.RichEdit->hide();
        window.Image1->show();
        window.Memo_opisanie->clear();
        window.Image1->setPicture(QImage());
        return;
    }
    window.Memo_opisanie->setPlainText(
        infobase::paneTextFromTexty(query.FieldByName(QStringLiteral("Opisanie")).AsString()));
    const QString texty = query.FieldByName(QStringLiteral("Texty")).AsString();
    if (!texty.isEmpty()) {
        window.Image1->hide();
        window.RichEdit->show();
        window.showPaneText(infobase::paneTextFromTexty(texty));
        return;
    }
    window.RichEdit->hide();
    window.Image1->show();
    showAttachment(window);
}

} // namespace

void TForm_Glavn::connectBranchDisplay() {
    TreeView1->viewport()->installEventFilter(new TreeClickWatch(this));
    // The tree's selection is the one the commands act on.
    connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = TreeView1->selectionModel()->selectedRows();
        TreeNodes.setSelected(rows.isEmpty() ? nullptr : TreeModel->nodeAt(rows.first()));
    });
}

void TForm_Glavn::TreeView1Click() {
    infobase::TTreeNode* node = TreeNodes.Selected();
    if (node == nullptr) {
        return; // nothing to show: the name field, the panes and the store stay as they are
    }
    try {
        Edit_Mame_Vetok->setText(node->Text());
        shownBranch_ = TreeModel->indexOf(node);
        if (node->HasChildren()) {
            Image1->setPicture(ImageList1.picture(ImageList::CrossInCircle).toImage());
            showOwnDescription(*this, node->Text());
        } else {
            // The text pane now shows this branch's text, or is hidden.
            paneBranch_ = shownBranch_;
            showBranchRecord(*this, node->Text());
        }
    } catch (const infobase::RecordReadFailure& failure) {
        // Empty panes rather than what the branch shown before holds.
        RichEdit->hide();
        Image1->show();
        Memo_opisanie->clear();
        Image1->setPicture(QImage());
        showMessage(failure.message());
    } catch (...) {
        showMessage(kNotAPicture);
    }
    nameShownPanes();
    Image1->repaint();
}
