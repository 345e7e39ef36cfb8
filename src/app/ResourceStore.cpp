#include "ResourceStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Resources of a static library must be registered by name, outside any namespace.
static void RegisterResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ondrel {

namespace {

QJsonObject ReadJson(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).object();
}

QRect ReadRect(const QJsonValue& value) {
    const QJsonArray a = value.toArray();
    if (a.size() != 4) {
        return {};
    }
    return QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
}

QStringList ReadList(const QJsonValue& value) {
    QStringList list;
    const QJsonArray values = value.toArray();
    for (const QJsonValue& v : values) {
        list << v.toString();
    }
    return list;
}

DialogSpec ReadDialog(int id, const QJsonObject& o) {
    DialogSpec d;
    d.id = id;
    d.caption = o.value("caption").toString();
    const QJsonArray size = o.value("size").toArray();
    d.size = QSize(size.at(0).toInt(), size.at(1).toInt());
    const QJsonObject font = o.value("font").toObject();
    d.fontFace = font.value("face").toString();
    d.fontPoints = font.value("points").toInt(8);
    d.style = ReadList(o.value("style"));
    const QJsonArray controls = o.value("controls").toArray();
    for (const QJsonValue& v : controls) {
        const QJsonObject c = v.toObject();
        ControlSpec spec;
        spec.id = c.value("id").toInt(kNoControlId);
        spec.kind = c.value("kind").toString();
        spec.text = c.value("text").toString();
        spec.rect = ReadRect(c.value("rect"));
        spec.flags = ReadList(c.value("flags"));
        spec.icon = c.value("icon").toInt();
        spec.accessName = c.value("name").toString();
        d.controls.push_back(spec);
    }
    return d;
}

} // namespace

const ResourceStore& ResourceStore::Get() {
    static const ResourceStore store;
    return store;
}

ResourceStore::ResourceStore() {
    RegisterResources();
    const QJsonObject strings = ReadJson(":/ondrel/strings.json");
    for (auto it = strings.begin(); it != strings.end(); ++it) {
        m_strings.insert(it.key().toInt(), it.value().toString());
    }
    const QJsonObject dialogs = ReadJson(":/ondrel/dialogs.json");
    for (auto it = dialogs.begin(); it != dialogs.end(); ++it) {
        const int id = it.key().toInt();
        m_dialogs.insert(id, ReadDialog(id, it.value().toObject()));
    }
}

QString ResourceStore::LoadString(int id) const {
    return m_strings.value(id);
}

const DialogSpec* ResourceStore::Template(int id) const {
    const auto it = m_dialogs.constFind(id);
    return it == m_dialogs.constEnd() ? nullptr : &it.value();
}

QString ResourceStore::Format(const QString& format, const QString& arg) {
    QString text = format;
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    if (at >= 0) {
        text.replace(at, 2, arg);
    }
    return text;
}

QIcon ResourceStore::Icon(int id) const {
    QIcon icon(QStringLiteral(":/ondrel/icon%1.png").arg(id));
    if (id == 128) {
        icon.addFile(QStringLiteral(":/ondrel/icon128-256.png"));
    }
    return icon;
}

QPixmap ResourceStore::IconPixmap(int id) const {
    return QPixmap(QStringLiteral(":/ondrel/icon%1.png").arg(id));
}

} // namespace ondrel
