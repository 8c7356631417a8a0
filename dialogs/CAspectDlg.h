#pragma once

#include <QDialog>
#include <string>

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace zepo {

class CShockwaveFlash;

// The aspect-ratio dialog (template 141): one of three fixed ratios or a custom pair,
// read from the player movie's "m_width"/"m_height" when it opens and sent back to it,
// followed by the host command "aspect", on Apply and on OK. Cancel sends nothing; what
// an earlier Apply sent stays.
class CAspectDlg : public QDialog {
    Q_OBJECT
public:
    // The choices of the radio group, in the group's order.
    enum Choice { None = -1, Custom = 0, Ratio320x240 = 1, Ratio352x240 = 2, Ratio320x180 = 3 };

    // player: the player movie's control, which this dialog reads and writes.
    explicit CAspectDlg(CShockwaveFlash& player, QWidget* parent = nullptr);
    ~CAspectDlg() override;

    void OnInitDialog();
    // Typing in either edit selects the custom choice.
    void OnEditChange();
    // Apply: sends the chosen pair; the dialog stays open.
    void OnApply();
    // OK: sends the chosen pair, then closes.
    void accept() override;

    QButtonGroup& choiceButtons() { return *choices_; }
    QLineEdit& widthEdit() { return *widthEdit_; }
    QLineEdit& heightEdit() { return *heightEdit_; }
    QPushButton& applyButton() { return *apply_; }
    QPushButton& okButton() { return *ok_; }
    QPushButton& cancelButton() { return *cancel_; }

private:
    // Data exchange: controls into the fields (save) or fields into the controls.
    void UpdateData(bool save);
    void ApplyChoice();
    void sendPair(const std::string& width, const std::string& height);

    CShockwaveFlash& player_;  // not owned: the player window's movie control
    int m_choice = None;
    std::string m_heightText;
    std::string m_widthText;

    // Child widgets, owned by the dialog through Qt parenthood.
    QButtonGroup* choices_;
    QLineEdit* widthEdit_;
    QLineEdit* heightEdit_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* apply_;
};

} // namespace zepo
