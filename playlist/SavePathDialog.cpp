#include "playlist/SavePathDialog.h"

#include "platform/PathText.h"

#include <QFileDialog>

namespace zepo {

namespace {
// The caption the system's own save dialog carries in Japanese.
const char kCaption[] = "名前を付けて保存";
const char kDefaultName[] = "playlist.zepo";
const char kSuffix[] = "zepo";
const char kFilter[] = "ZEPO プレイリスト (*.zepo)";
} // namespace

std::optional<std::string> QtSavePathDialog::askSavePath(QWidget* owner)
{
    // A dialog object rather than the static helper: only the object adds the default
    // extension, and it does so before it checks whether the file exists.
    QFileDialog dialog(owner, QString::fromUtf8(kCaption));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(kFilter));
    dialog.setDefaultSuffix(QString::fromLatin1(kSuffix));
    dialog.selectFile(QString::fromLatin1(kDefaultName));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return fromQt(chosen.first());
}

} // namespace zepo
