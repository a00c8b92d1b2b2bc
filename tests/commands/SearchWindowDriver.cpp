#include "SearchWindowDriver.h"

#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

SearchBar& openSearch(TForm_Glavn& window) {
    if (!window.SearchBar1 || !window.SearchBar1->isVisible()) {
        window.N_poisk->trigger();
    }
    return *window.SearchBar1;
}

void waitForResults(SearchBar& bar) {
    pause(30);
    const auto ready = [&bar] {
        return bar.field()->text().isEmpty() || bar.count()->text().startsWith("Найдено");
    };
    for (int i = 0; i < 500 && !ready(); ++i) {
        pause(10);
    }
}

QStringList listRows(SearchBar& bar, RowText part) {
    QStringList texts;
    const QAbstractItemModel* model = bar.list()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString text = model->index(row, 0).data().toString();
        texts << (part == RowText::FirstLine ? text.section('\n', 0, 0) : text);
    }
    return texts;
}
