#include "platform/qt/QtDialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/qt/QtControls.h"

namespace tamrel::qt {

QString NameFilter(const FileFilter& filter) {
    QStringList patterns = QString::fromLocal8Bit(filter.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = pattern.trimmed();
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    const QString joined = patterns.join(QLatin1Char(' '));
    const QString description = QString::fromLocal8Bit(filter.description);
    // "Picture files (*.bmp)" already says what it lists.
    if (description.endsWith(QStringLiteral("(%1)").arg(joined))) return description;
    return QStringLiteral("%1 (%2)").arg(description, joined);
}

std::string RunOpenDialog(QWidget* parent, const ui::OpenFileRequest& request) {
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDirectory(QString::fromLocal8Bit(request.initialFolder));
    dialog.setNameFilter(NameFilter(request.filter));
    dialog.selectFile(QString::fromLocal8Bit(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return request.fileName;
    return dialog.selectedFiles().constFirst().toLocal8Bit().toStdString();
}

ui::Font RunFontDialog(QWidget* parent, const ui::Font& start) {
    QFontDialog dialog(ResolvedFont(start, parent ? parent->font() : QFont()), parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // The countdown number has no underline or strike-out: the box holding
    // those effects is hidden.
    for (QCheckBox* effect : dialog.findChildren<QCheckBox*>()) {
        if (auto* box = qobject_cast<QGroupBox*>(effect->parentWidget())) box->hide();
    }
    if (dialog.exec() != QDialog::Accepted) return start;
    const QFont chosen = dialog.selectedFont();
    const double size = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : QFontInfo(chosen).pointSizeF();
    return {chosen.family().toLocal8Bit().toStdString(), size, chosen.bold(), chosen.italic()};
}

ui::Color RunColorDialog(QWidget* parent, ui::Color start) {
    QColorDialog dialog(QtColor(start), parent);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return start;
    return WindowsColor(dialog.selectedColor());
}

namespace {

// "08" rather than "8": a time reads as the clock shows it.
class TwoDigitSpinBox : public QSpinBox {
public:
    TwoDigitSpinBox(const QString& name, int maximum, int value, QWidget* parent) : QSpinBox(parent) {
        setObjectName(name);
        setAccessibleName(name);
        setRange(0, maximum);
        setWrapping(true);
        setValue(value);
    }

protected:
    QString textFromValue(int value) const override { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }
};

// The dialog's result for "None", beside Accepted and Rejected.
constexpr int kNoneChosen = 2;

}  // namespace

ui::TimeAnswer RunTimeDialog(QWidget* parent, const ui::TimeRequest& request) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("TimeDialog"));
    dialog.setWindowTitle(QString::fromLocal8Bit(request.title));
    dialog.setModal(true);
    const int start = request.start >= 0 && request.start < 24 * 60 ? request.start : 0;

    auto* prompt = new QLabel(QString::fromLocal8Bit(request.prompt), &dialog);
    prompt->setWordWrap(true);
    auto* hours = new TwoDigitSpinBox(QStringLiteral("Hours"), 23, start / 60, &dialog);
    auto* minutes = new TwoDigitSpinBox(QStringLiteral("Minutes"), 59, start % 60, &dialog);
    auto* entry = new QGridLayout;
    const auto labelled = [&](int column, const QString& caption, QSpinBox* box) {
        auto* label = new QLabel(caption, &dialog);
        label->setBuddy(box);
        entry->addWidget(label, 0, column);
        entry->addWidget(box, 1, column);
    };
    labelled(0, QStringLiteral("&Hours"), hours);
    labelled(1, QStringLiteral("&Minutes"), minutes);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const auto button = [&](const QString& caption, auto action) {
        auto* pressed = new QPushButton(caption, &dialog);
        pressed->setObjectName(caption);
        QObject::connect(pressed, &QPushButton::clicked, &dialog, action);
        buttons->addWidget(pressed);
        return pressed;
    };
    button(QStringLiteral("OK"), [&dialog] { dialog.accept(); })->setDefault(true);
    button(QStringLiteral("Cancel"), [&dialog] { dialog.reject(); });
    button(QStringLiteral("None"), [&dialog] { dialog.done(kNoneChosen); });

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(prompt);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    hours->setFocus();
    hours->selectAll();

    switch (dialog.exec()) {
        case QDialog::Accepted:
            // Typed but not yet committed text counts as shown.
            hours->interpretText();
            minutes->interpretText();
            return hours->value() * 60 + minutes->value();
        case kNoneChosen: return ui::kNoTime;
        default: return std::nullopt;
    }
}

}  // namespace tamrel::qt
