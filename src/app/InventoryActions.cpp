#include "InventoryActions.h"

#include "DeviceListView.h"
#include "DeviceSession.h"
#include "IPrompter.h"
#include "Texts.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

namespace ondrel {

InventoryActions::InventoryActions(QWidget& window, QTableView& list, DeviceSession& session,
                                   std::shared_ptr<IPrompter> prompter)
    : QObject(&window), m_window(window), m_list(list), m_session(session),
      m_prompter(std::move(prompter)) {
    m_saveAction = new QAction(Texts::saveListEntry(), &window);
    m_saveAction->setObjectName(QStringLiteral("saveListAction"));
    m_saveAction->setShortcut(QKeySequence::Save);
    m_saveAction->setShortcutContext(Qt::WindowShortcut);
    window.addAction(m_saveAction);
    connect(m_saveAction, &QAction::triggered, this, &InventoryActions::saveList);
    m_copyAction = new QAction(Texts::copyEntry(), &list);
    m_copyAction->setObjectName(QStringLiteral("copyAction"));
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setShortcutContext(Qt::WidgetShortcut);
    list.addAction(m_copyAction);
    connect(m_copyAction, &QAction::triggered, this, &InventoryActions::copyChosen);
    connect(&session, &DeviceSession::listSaveFailed, this,
            [this](const QString& path, const QString& reason) {
                m_prompter->information(&m_window, Texts::saveFailed(path, reason), Texts::tips());
            });
}

void InventoryActions::copyChosen() {
    QModelIndexList rows = m_list.selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QGuiApplication::clipboard()->setText(DeviceListView::rowsAsText(m_list, rows));
}

void InventoryActions::saveList() {
    const QString csv = Texts::csvFiles();
    const QString json = Texts::jsonFiles();
    QString filter = csv;
    QString path =
        m_prompter->saveFileName(&m_window, Texts::saveListCaption(), {csv, json}, &filter);
    if (path.isEmpty()) {
        return;
    }
    // The file's own extension decides; a name without one takes the chosen filter's.
    const QString suffix = QFileInfo(path).suffix().toLower();
    bool asJson = suffix == QLatin1String("json");
    if (suffix != QLatin1String("json") && suffix != QLatin1String("csv")) {
        asJson = filter == json;
        path += asJson ? QStringLiteral(".json") : QStringLiteral(".csv");
    }
    m_session.saveList(path, asJson ? ListFormat::Json : ListFormat::Csv);
}

} // namespace ondrel
