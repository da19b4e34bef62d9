#include "platform/qt/QtDialogs.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>

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

}  // namespace tamrel::qt
