#include "platform/QtTranslations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace zepo {
namespace {

TEST(QtTranslations, TheToolkitsOwnDialogsSpeakJapanese)
{
    const std::unique_ptr<QTranslator> texts = installQtTranslations();
    ASSERT_TRUE(texts) << "Qt's Japanese translations are not installed";

    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel | QDialogButtonBox::Yes
                             | QDialogButtonBox::No);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QString::fromUtf8("保存"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), QString::fromUtf8("はい(&Y)"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::No)->text(), QString::fromUtf8("いいえ(&N)"));

    // The save dialog's own labels, as the playlist's save button shows it.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_FALSE(labels.contains(QString::fromLatin1("Look in:"))) << labels.join('|').toStdString();
    EXPECT_FALSE(labels.contains(QString::fromLatin1("File &name:"))) << labels.join('|').toStdString();
}

} // namespace
} // namespace zepo
