#include "DetailsController.h"

#include "AssignBatch.h"
#include "DetailsAccountDialog.h"
#include "DetailsRead.h"
#include "DeviceForm.h"
#include "DeviceSession.h"
#include "devices/DeviceFields.h"

#include <QAbstractButton>
#include <QAction>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

#include <string_view>

namespace ondrel {

DetailsController::DetailsController(DeviceSession& session, QAbstractButton& button,
                                     const DeviceForm& form, QTableView& list, QMainWindow& window)
    : QObject(&window), m_session(session), m_form(form), m_list(list), m_window(window) {
    m_action = new QAction(button.text(), &window);
    m_action->setObjectName(QStringLiteral("readDetailsAction"));
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(m_action);
    connect(&button, &QAbstractButton::clicked, m_action, &QAction::trigger);
    connect(m_action, &QAction::enabledChanged, &button, &QWidget::setEnabled);
    connect(m_action, &QAction::triggered, this, &DetailsController::ask);

    // Beside the status line while a read runs: how far it is, and a way to stop it.
    m_progressArea = new QWidget(&window);
    m_progressArea->setObjectName(QStringLiteral("detailsProgressArea"));
    auto* layout = new QHBoxLayout(m_progressArea);
    layout->setContentsMargins(0, 0, 0, 0);
    m_progress = new QProgressBar(m_progressArea);
    m_progress->setObjectName(QStringLiteral("detailsProgress"));
    m_cancel = new QPushButton(DetailsTexts::cancelEntry(), m_progressArea);
    m_cancel->setObjectName(QStringLiteral("detailsCancelButton"));
    m_cancel->setAutoDefault(false);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel);
    window.statusBar()->addPermanentWidget(m_progressArea);
    m_progressArea->hide();

    DetailsRead& read = m_session.details();
    connect(m_cancel, &QPushButton::clicked, &read, &DetailsRead::cancel);
    connect(m_cancel, &QPushButton::clicked, this, &DetailsController::statusChanged);
    connect(&read, &DetailsRead::progress, this, &DetailsController::onProgress);
    // Off while no camera is listed, as Assign is while fewer than two rows are chosen.
    connect(&m_session, &DeviceSession::devicesChanged, this, &DetailsController::updateEnabled);
    connect(&m_session, &DeviceSession::searched, this, &DetailsController::updateEnabled);
    connect(&read, &DetailsRead::runningChanged, this, [this](bool running) {
        m_progressArea->setVisible(running);
        updateEnabled();
        Q_EMIT statusChanged();
    });
    connect(&read, &DetailsRead::finished, this, &DetailsController::statusChanged);
    connect(&m_session.batch(), &AssignBatch::runningChanged, this, [this](bool running) {
        m_batchRunning = running;
        updateEnabled();
    });
    updateEnabled();
}

DetailsController::~DetailsController() {
    delete m_dialog;
}

void DetailsController::updateEnabled() {
    const DetailsRead& read = m_session.details();
    m_action->setEnabled(!m_batchRunning && !read.running() && read.hasCameras());
}

void DetailsController::ask() {
    if (!m_action->isEnabled() || m_dialog) {
        return;
    }
    auto* dialog = new DetailsAccountDialog(m_form.credentials(), &m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        // The batch may have begun while the dialog was open.
        if (m_action->isEnabled()) {
            m_session.details().start(dialog->credentials());
        }
    });
    dialog->open();
}

void DetailsController::onProgress(int done, int total) {
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    if (m_session.details().tally().read > 0) {
        for (const DeviceField& field : deviceFields()) {
            const std::string_view key = field.key;
            if (key == "Model" || key == "Firmware") {
                m_list.setColumnHidden(field.column.number, false);
            }
        }
    }
    Q_EMIT statusChanged();
}

QString DetailsController::statusText() const {
    const DetailsRead& read = m_session.details();
    if (!read.hasTally()) {
        return {};
    }
    if (read.running()) {
        return DetailsTexts::reading(m_progress->value(), static_cast<int>(read.tally().cameras));
    }
    return DetailsTexts::summary(read.tally());
}

} // namespace ondrel
