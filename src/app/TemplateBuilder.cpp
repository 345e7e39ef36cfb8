#include "TemplateBuilder.h"

#include "DeviceListView.h"
#include "DialogEdit.h"
#include "IpAddressControl.h"
#include "ResourceStore.h"
#include "UpDownControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace ondrel {

namespace {

QWidget* CreateControl(const ControlSpec& c, QWidget* dialog) {
    const QString& k = c.kind;
    if (k == QLatin1String("button")) {
        auto* b = new QPushButton(c.text, dialog);
        b->setAutoDefault(c.Has("default"));
        b->setDefault(c.Has("default"));
        return b;
    }
    if (k == QLatin1String("checkbox")) {
        auto* box = new QCheckBox(c.text, dialog);
        // Drawn over a group box's edge: its face hides the frame line behind the text.
        box->setAutoFillBackground(c.Has("transparent"));
        return box;
    }
    if (k == QLatin1String("group")) {
        auto* group = new QGroupBox(c.text, dialog);
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        return group;
    }
    if (k == QLatin1String("static")) {
        auto* label = new QLabel(c.text, dialog);
        label->setTextFormat(Qt::PlainText);
        // A one-line static keeps its text on one line; a taller one wraps it.
        label->setWordWrap(c.rect.height() > 10);
        label->setAlignment((c.Has("right") ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        return label;
    }
    if (k == QLatin1String("icon")) {
        auto* label = new QLabel(dialog);
        label->setPixmap(ResourceStore::Get().IconPixmap(c.icon));
        return label;
    }
    if (k == QLatin1String("edit")) {
        auto* edit = new DialogEdit(dialog);
        edit->setText(c.text);
        edit->setReadOnly(c.Has("readonly"));
        if (c.Has("password")) {
            edit->setEchoMode(QLineEdit::Password);
        }
        if (c.Has("number")) {
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        return edit;
    }
    if (k == QLatin1String("ipaddress")) {
        return new IpAddressControl(dialog);
    }
    if (k == QLatin1String("updown")) {
        auto* updown = new UpDownControl(dialog);
        updown->SetAlignRight(c.Has("alignright"));
        return updown;
    }
    if (k == QLatin1String("progress")) {
        auto* bar = new QProgressBar(dialog);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        return bar;
    }
    if (k == QLatin1String("dropdownlist")) {
        auto* combo = new QComboBox(dialog);
        combo->setEditable(false);
        return combo;
    }
    if (k == QLatin1String("listview")) {
        auto* list = new DeviceListView(dialog);
        list->setFrameShape(QFrame::StyledPanel);
        list->setFrameShadow(c.Has("staticedge") ? QFrame::Sunken : QFrame::Plain);
        return list;
    }
    return new QWidget(dialog);
}

bool IsLabel(const ControlSpec& c) {
    return c.kind == QLatin1String("static") && !c.text.isEmpty() && c.rect.height() <= 10;
}

// How much wider the units must be for every short one-line label to show its text whole in
// this font: fonts here run a little wider than the one the template was drawn for.
double FitFactor(const DialogSpec& spec, const QFontMetrics& metrics, const DialogUnits& units) {
    constexpr double kMaxFactor = 1.25;
    constexpr int kShortLabel = 100;
    double factor = 1.0;
    for (const ControlSpec& c : spec.controls) {
        if (!IsLabel(c) || c.rect.width() > kShortLabel) {
            continue;
        }
        const double room = units.BaseX() * c.rect.width() / 4.0;
        QString shown = c.text;
        shown.remove(QLatin1Char('&'));
        const double text = metrics.horizontalAdvance(shown) + 2;
        factor = std::max(factor, text / room);
    }
    return std::min(factor, kMaxFactor);
}

// The right end of the free room beside a control: the nearest control to its right on the
// same rows, or the edge of the group around it, or of the dialog.
int FreeRight(const DialogSpec& spec, int self) {
    const QRect me = spec.controls[self].rect;
    int right = spec.size.width() - 3;
    for (int i = 0; i < spec.controls.size(); ++i) {
        const ControlSpec& o = spec.controls[i];
        if (i == self || o.Has("hidden")) {
            continue;
        }
        if (o.kind == QLatin1String("group")) {
            if (o.rect.contains(me)) {
                right = std::min(right, o.rect.right() - 3);
            }
            continue;
        }
        const bool sameRows = o.rect.top() <= me.bottom() && o.rect.bottom() >= me.top();
        if (sameRows && o.rect.left() > me.left()) {
            right = std::min(right, o.rect.left() - 1);
        }
    }
    return right;
}

QRect Place(const DialogSpec& spec, int index, QWidget* w, const DialogUnits& units) {
    const ControlSpec& c = spec.controls[index];
    QRect r = units.Map(c.rect);
    if ((IsLabel(c) && !c.Has("right")) || c.kind == QLatin1String("checkbox")) {
        // A text that still does not fit takes the free room to its right, rather than being
        // cut off.
        const int wanted = w->sizeHint().width();
        if (wanted > r.width()) {
            const int limit = units.X(FreeRight(spec, index) + 1) - r.left();
            r.setWidth(std::max(r.width(), std::min(wanted, limit)));
        }
    }
    if (c.kind == QLatin1String("icon")) {
        // An icon control takes the size of its icon.
        const QSize icon = static_cast<QLabel*>(w)->pixmap().size();
        r.setSize(icon.isEmpty() ? r.size() : icon);
    } else if (c.kind == QLatin1String("dropdownlist")) {
        // The template's height is that of the dropped list; the field keeps its own height.
        auto* combo = static_cast<QComboBox*>(w);
        const int field = combo->sizeHint().height();
        const int rowHeight = combo->fontMetrics().height() + 2;
        combo->setMaxVisibleItems(std::max(1, (r.height() - field) / std::max(1, rowHeight)));
        r.setHeight(std::min(field, r.height()));
    }
    return r;
}

} // namespace

QString TemplateBuilder::AccessibleText(const QString& text) {
    QString s = text;
    s.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    s.remove(QLatin1Char('&'));
    s = s.trimmed();
    if (s.endsWith(QLatin1Char(':'))) {
        s.chop(1);
    }
    return s.trimmed();
}

bool TemplateBuilder::IsTabStopKind(const QString& kind) {
    static const QStringList kinds = {QStringLiteral("button"),       QStringLiteral("checkbox"),
                                      QStringLiteral("edit"),         QStringLiteral("ipaddress"),
                                      QStringLiteral("dropdownlist"), QStringLiteral("listview")};
    return kinds.contains(kind);
}

BuiltDialog TemplateBuilder::Build(const DialogSpec& spec, QWidget* dialog) {
    dialog->setFont(DialogUnits::TemplateFont(spec.fontFace, spec.fontPoints));
    BuiltDialog built;
    built.units = DialogUnits(dialog->font());
    built.units.Widen(FitFactor(spec, QFontMetrics(dialog->font()), built.units));
    dialog->setFixedSize(built.units.Map(spec.size));

    QString lastLabel;
    QVector<int> pendingBuddies; // labels with a mnemonic waiting for the next tab stop
    for (int i = 0; i < spec.controls.size(); ++i) {
        const ControlSpec& c = spec.controls[i];
        QWidget* w = CreateControl(c, dialog);
        w->setProperty(kIdProperty, c.id);
        w->setObjectName(c.id != kNoControlId ? QStringLiteral("ctl%1").arg(c.id)
                                              : QStringLiteral("item%1").arg(i));
        w->setGeometry(Place(spec, i, w, built.units));
        if (!IsTabStopKind(c.kind)) {
            w->setFocusPolicy(Qt::NoFocus);
        }

        QString name = c.accessName;
        const bool hasOwnText =
            c.kind == QLatin1String("button") || c.kind == QLatin1String("checkbox") ||
            c.kind == QLatin1String("group") || c.kind == QLatin1String("static");
        if (name.isEmpty()) {
            name = hasOwnText ? AccessibleText(c.text) : lastLabel;
        }
        w->setAccessibleName(name);
        if (c.kind == QLatin1String("static") && !c.text.isEmpty()) {
            lastLabel = AccessibleText(c.text);
            if (c.text.contains(QLatin1Char('&')) && !c.Has("noprefix")) {
                pendingBuddies.append(i);
            }
        }
        if (IsTabStopKind(c.kind)) {
            for (int labelIndex : pendingBuddies) {
                static_cast<QLabel*>(built.ordered[labelIndex])->setBuddy(w);
            }
            pendingBuddies.clear();
        }

        if (c.Has("disabled")) {
            w->setEnabled(false);
        }
        if (c.Has("hidden")) {
            w->setHidden(true);
        }
        built.ordered.append(w);
        if (c.id != kNoControlId) {
            built.byId.insert(c.id, w);
        }
    }
    return built;
}

} // namespace ondrel
