#include "ViewSettings.h"

#include <QFile>
#include <QHeaderView>
#include <QSettings>
#include <QTableView>
#include <QWidget>

#include <memory>
#include <vector>

namespace ondrel {

namespace {

// Bumped when the list's columns change meaning, so that an older layout is not applied to
// columns it never described.
constexpr int kLayoutVersion = 1;
constexpr int kLargestSide = 16384;

const QString kColumnsKey = QStringLiteral("list/columns");
const QString kHeaderKey = QStringLiteral("list/header");
const QString kWindowName = QStringLiteral("window");

std::unique_ptr<QSettings> open(const QString& file) {
    if (file.isEmpty()) {
        return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("ondrel"),
                                           QStringLiteral("ondrel"));
    }
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

// For writing: QSettings leaves a file alone that it could not read; this one is ours to
// replace.
std::unique_ptr<QSettings> openToWrite(const QString& file) {
    std::unique_ptr<QSettings> settings = open(file);
    if (settings->status() == QSettings::FormatError) {
        const QString path = settings->fileName();
        settings.reset();
        QFile::remove(path);
        settings = open(file);
    }
    return settings;
}

QString sizeKey(const QString& name) {
    return name + QStringLiteral("/size");
}

// A size no screen has is someone else's value; one larger than today's screen the window
// manager fits as it fits any window.
void readSize(const QSettings& settings, const QString& name, QWidget& window) {
    const QSize size = settings.value(sizeKey(name)).toSize();
    if (size.isValid() && size.width() <= kLargestSide && size.height() <= kLargestSide) {
        window.resize(size.expandedTo(window.minimumSizeHint()));
    }
}

int columnsKey(const QTableView& list) {
    return kLayoutVersion * 1000 + list.model()->columnCount();
}

} // namespace

void ViewSettings::restore(QTableView& list, QWidget& window) const {
    const std::unique_ptr<QSettings> settings = open(m_file);
    if (settings->status() != QSettings::NoError) {
        return;
    }
    QHeaderView* header = list.horizontalHeader();
    bool columnsRead = false;
    const QVariant columns = settings->value(kColumnsKey);
    const QVariant state = settings->value(kHeaderKey);
    // A layout saved before columns were appended still holds for the columns it knew; the
    // appended ones keep what a first run shows, rather than the user's choices being lost.
    const int savedKey = columns.toInt();
    const int savedCount = savedKey - kLayoutVersion * 1000;
    if (savedKey / 1000 == kLayoutVersion && savedCount > 0 && savedCount <= header->count() &&
        state.typeId() == QMetaType::QByteArray) {
        const QByteArray before = header->saveState();
        std::vector<bool> appendedHidden;
        for (int column = savedCount; column < header->count(); ++column) {
            appendedHidden.push_back(header->isSectionHidden(column));
        }
        columnsRead = header->restoreState(state.toByteArray());
        for (int column = savedCount; columnsRead && column < header->count(); ++column) {
            header->setSectionHidden(column, appendedHidden[column - savedCount]);
        }
        columnsRead = columnsRead && header->count() - header->hiddenSectionCount() > 0;
        if (!columnsRead) {
            header->restoreState(before);
        }
    }
    if (columnsRead) {
        const int column = header->sortIndicatorSection();
        if (column >= 0 && column < header->count()) {
            list.sortByColumn(column, header->sortIndicatorOrder());
        }
    }

    readSize(*settings, kWindowName, window);
}

void ViewSettings::save(const QTableView& list, const QWidget& window) const {
    const std::unique_ptr<QSettings> settings = openToWrite(m_file);
    settings->setValue(kColumnsKey, columnsKey(list));
    settings->setValue(kHeaderKey, list.horizontalHeader()->saveState());
    settings->setValue(sizeKey(kWindowName), window.size());
    settings->sync();
}

void ViewSettings::restoreSize(QWidget& dialog, const QString& name) const {
    const std::unique_ptr<QSettings> settings = open(m_file);
    if (settings->status() == QSettings::NoError) {
        readSize(*settings, name, dialog);
    }
}

void ViewSettings::saveSize(const QWidget& dialog, const QString& name) const {
    const std::unique_ptr<QSettings> settings = openToWrite(m_file);
    settings->setValue(sizeKey(name), dialog.size());
    settings->sync();
}

} // namespace ondrel
