#pragma once

#include "bridge/CShockwaveFlash.h"

#include <QDialog>
#include <memory>

namespace zepo {

struct MovieEnvironment;

// The about box (template 100): the about movie (control 1012) filling the dialog and
// nothing else. It has no buttons: Escape and the close box end it. The right button
// does nothing here, so the movie shows no menu.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // With the about movie the runtime makes for control 1012.
    explicit CAboutDlg(MovieEnvironment& movies, QWidget* owner = nullptr);
    // With a given movie (tests give one with a recording URL opener).
    explicit CAboutDlg(std::unique_ptr<Movie> movie, QWidget* owner = nullptr);
    ~CAboutDlg() override;

    // True when the event is consumed: a right-button press or the context-menu request
    // it brings, over the dialog or its movie.
    bool PreTranslateMessage(QEvent* event);

    CShockwaveFlash& movie() { return m_movie; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CShockwaveFlash m_movie;
};

} // namespace zepo
