#include "dialogs/CAboutDlg.h"

#include "movies/MovieEnvironment.h"
#include "platform/DialogUnits.h"
#include "platform/ModalDialogs.h"
#include "res/DialogTemplates.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace zepo {

CAboutDlg::CAboutDlg(MovieEnvironment& movies, QWidget* owner)
    : CAboutDlg(createMovie(tmpl::kAboutMovie.id, movies), owner)
{
}

CAboutDlg::CAboutDlg(std::unique_ptr<Movie> movie, QWidget* owner) : QDialog(owner), m_movie(this)
{
    setWindowTitle(QString::fromUtf8(tmpl::kAbout.caption));
    setWindowFlags(kDialogFrame);
    setFont(dialogFont());
    const DialogUnits units(font());
    setFixedSize(units.sizeOf(tmpl::kAbout));
    m_movie.setGeometry(units.rectOf(tmpl::kAboutMovie.rect));
    m_movie.loadMovie(std::move(movie));
    installEventFilter(this);
    m_movie.installEventFilter(this);
}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::PreTranslateMessage(QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    return event->type() == QEvent::ContextMenu;
}

bool CAboutDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (PreTranslateMessage(event))
        return true;
    // The movie takes the keys it has the focus for; Escape is still the dialog's cancel.
    if (watched == &m_movie && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zepo
