#include "TreeCommand.h"

#include "common/Failure.h"
#include "infobase/tree/TreeFile.h"
#include "platform/FolderLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace tool {
namespace {

using infobase::TreeViewState;
using infobase::TTreeNode;
using infobase::TTreeNodes;

constexpr qint32 kDesignedClientHeight = 732;

// A JSON string literal. Code units are kept as they are, so a surrogate that lost its
// partner (a text cut at 255 code units) is written as an escape and read back unchanged.
void appendJsonString(QString& out, const QString& text) {
    out += QLatin1Char('"');
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const bool pairStart = c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate();
        if (pairStart) {
            out += c;
            out += text[++i];
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c.unicode() < 0x20 || c.isSurrogate()) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
}

void appendFields(QString& out, const TTreeNode& node) {
    out += QStringLiteral("{\"text\":");
    appendJsonString(out, node.Text());
    out += QStringLiteral(",\"imageIndex\":%1,\"selectedIndex\":%2,\"stateIndex\":%3,"
                          "\"overlayIndex\":%4,\"expandedImageIndex\":%5,\"data\":%6,")
               .arg(node.ImageIndex)
               .arg(node.SelectedIndex)
               .arg(node.StateIndex)
               .arg(node.OverlayIndex)
               .arg(node.ExpandedImageIndex)
               .arg(node.Data);
    out += QStringLiteral("\"enabled\":%1,\"hasChildren\":%2,\"children\":[")
               .arg(node.Enabled ? "true" : "false", node.HasChildren() ? "true" : "false");
}

// The whole tree without recursion, so that a file of any depth can be shown.
QString treeJson(const TTreeNodes& items) {
    QString out = QStringLiteral("{\"nodes\":[");
    const TTreeNode* node = items.getFirstNode();
    while (node) {
        appendFields(out, *node);
        if (const TTreeNode* child = node->getFirstChild()) {
            node = child;
            continue;
        }
        // Close the node and every ancestor that has no next sibling.
        for (;;) {
            out += QStringLiteral("]}");
            if (const TTreeNode* sibling = node->getNextSibling()) {
                out += QLatin1Char(',');
                node = sibling;
                break;
            }
            node = node->Parent();
            if (!node) {
                break;
            }
        }
    }
    out += QStringLiteral("]}");
    return out;
}

int dump(const QString& path, Streams streams) {
    TreeViewState view;
    TTreeNodes items;
    try {
        infobase::readTreeFile(path, view, items);
    } catch (const Failure& failure) {
        streams.err << failure.message() << '\n';
        return 1;
    }
    streams.out << treeJson(items) << '\n';
    return 0;
}

[[noreturn]] void badJson(const QString& what) {
    throw Failure(QStringLiteral("JSON: ") + what);
}

qint32 int32Field(const QJsonObject& object, const char* key, qint32 newNodeValue) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) {
        return newNodeValue;
    }
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || number != std::floor(number) ||
        number < std::numeric_limits<qint32>::min() ||
        number > std::numeric_limits<qint32>::max()) {
        badJson(QStringLiteral("\"%1\" must be a 32-bit integer").arg(QLatin1String(key)));
    }
    return static_cast<qint32>(number);
}

bool boolField(const QJsonObject& object, const char* key, bool newNodeValue) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) {
        return newNodeValue;
    }
    if (!value.isBool()) {
        badJson(QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key)));
    }
    return value.toBool();
}

QJsonArray arrayField(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) {
        return {};
    }
    if (!value.isArray()) {
        badJson(QStringLiteral("\"%1\" must be an array").arg(QLatin1String(key)));
    }
    return value.toArray();
}

// Adds the nodes of a JSON array under the parent (nullptr: the top level), as the program
// adds them, then sets the fields the JSON gives.
void addNodes(const QJsonArray& nodes, TTreeNode* parent, TTreeNodes& items) {
    struct Pending {
        QJsonArray nodes;
        TTreeNode* parent;
    };
    std::vector<Pending> pending{{nodes, parent}};
    while (!pending.empty()) {
        const Pending level = std::move(pending.back());
        pending.pop_back();
        for (const QJsonValue& value : level.nodes) {
            if (!value.isObject()) {
                badJson(QStringLiteral("every node must be an object"));
            }
            const QJsonObject object = value.toObject();
            const QJsonValue text = object.value(QLatin1String("text"));
            if (!text.isUndefined() && !text.isString()) {
                badJson(QStringLiteral("\"text\" must be a string"));
            }
            TTreeNode* node = items.AddChild(level.parent, text.toString());
            node->ImageIndex = int32Field(object, "imageIndex", 0);
            node->SelectedIndex = int32Field(object, "selectedIndex", 0);
            node->StateIndex = int32Field(object, "stateIndex", -1);
            node->OverlayIndex = int32Field(object, "overlayIndex", -1);
            node->ExpandedImageIndex = int32Field(object, "expandedImageIndex", 0);
            node->Data = int32Field(object, "data", 0);
            node->Enabled = boolField(object, "enabled", true);
            const QJsonArray children = arrayField(object, "children");
            items.setHasChildren(node, boolField(object, "hasChildren", !children.isEmpty()));
            if (!children.isEmpty()) {
                pending.push_back({children, node});
            }
        }
    }
}

void readJsonTree(const QString& path, TTreeNodes& items) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError) {
        badJson(QStringLiteral("%1 at offset %2").arg(error.errorString()).arg(error.offset));
    }
    if (!document.isObject() || !document.object().value(QLatin1String("nodes")).isArray()) {
        badJson(QStringLiteral("expected {\"nodes\":[…]}"));
    }
    addNodes(document.object().value(QLatin1String("nodes")).toArray(), nullptr, items);
}

// A tree file in an application folder's Data is the running program's own: the program
// would write its tree over ours at its next command. The folders the program locks are
// locked the way it locks them for the write (the file's folder, the one a symbolic link
// leads to, and the application folder above a Data), or the write is refused while the
// program runs, whatever path names the file.
std::unique_ptr<platform::FolderLocks> lockFoldersOf(const QString& treeFile) {
    const QFileInfo file(treeFile);
    QStringList folders;
    if (file.absoluteDir().dirName() == QLatin1String("Data")) {
        folders << QFileInfo(file.absolutePath()).absolutePath();
    }
    folders << file.absolutePath();
    if (const QString real = file.canonicalFilePath(); !real.isEmpty()) {
        folders << QFileInfo(real).absolutePath();
    }
    auto locks = std::make_unique<platform::FolderLocks>(folders);
    if (locks->heldElsewhere()) {
        throw Failure(
            QStringLiteral("Quorlent is running with the folder \"%1\"; close it and try again.")
                .arg(QDir::toNativeSeparators(locks->folderHeldElsewhere())));
    }
    return locks;
}

int write(const QString& jsonPath, const QString& path, qint32 clientHeight, Streams streams) {
    TTreeNodes items;
    TreeViewState view;
    // At the left edge the view keeps its width: only the client height places it.
    view.alignWithin(view.bounds.Width, clientHeight);
    try {
        const std::unique_ptr<platform::FolderLocks> locks = lockFoldersOf(path);
        readJsonTree(jsonPath, items);
        infobase::writeTreeFile(path, view, items);
    } catch (const Failure& failure) {
        streams.err << failure.message() << '\n';
        return 1;
    }
    return 0;
}

int usage(Streams streams) {
    streams.err << "Usage: quorlent-tool tree dump FILE | "
                   "tree write JSON FILE [--client-height N]\n";
    return 2;
}

} // namespace

int runTreeCommand(const QStringList& args, Streams streams) {
    if (args.size() == 2 && args[0] == QLatin1String("dump")) {
        return dump(args[1], streams);
    }
    if (args.size() < 3 || args[0] != QLatin1String("write")) {
        return usage(streams);
    }
    qint32 clientHeight = kDesignedClientHeight;
    if (args.size() == 5 && args[3] == QLatin1String("--client-height")) {
        bool ok = false;
        clientHeight = args[4].toInt(&ok);
        if (!ok || clientHeight <= 0) {
            return usage(streams);
        }
    } else if (args.size() != 3) {
        return usage(streams);
    }
    return write(args[1], args[2], clientHeight, streams);
}

} // namespace tool
