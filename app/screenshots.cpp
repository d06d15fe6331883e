#include "app/screenshots.h"

#include "core/math_operations.h"
#include "plot/picture_fit.h"
#include "plot/st_plot.h"
#include "session/session.h"
#include "ui/compatibility.h"
#include "ui/fd_view.h"
#include "ui/kinematics_view.h"
#include "ui/main.h"
#include "ui/picture_area.h"
#include "ui/st_view.h"
#include "ui/text_list.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

double angle_between(const Tazpl& a, const Tazpl& b) {
    // Axes, not vectors: a line and its opposite are the same axis.
    const double c = std::abs(dot_product3(azpl_to_vector3(a), azpl_to_vector3(b)));
    return std::acos(std::min(c, 1.0)) * rad_to_deg;
}

// Mouse events as the window system delivers them to the widget under the pointer.
void send_mouse(QWidget& widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), QPointF(widget.mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void move_to(QWidget& widget, QPoint pos) {
    send_mouse(widget, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
}

void click_at(QWidget& widget, QPoint pos) {
    move_to(widget, pos);
    send_mouse(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    send_mouse(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

void click(QWidget& widget) {
    click_at(widget, widget.rect().center());
}

void set_checked(QAbstractButton& box, bool checked) {
    if (box.isChecked() != checked)
        click(box);
}

} // namespace

TScreenshotDriver::TScreenshotDriver(TFormMain& window, TScreenshotOptions options, QObject* parent)
    : QObject(parent), window_(window), options_(std::move(options)) {
    TFormFD& fd = *window_.fd_view;
    TFormST& st = *window_.st_view;
    TFormCompatibility& compat = *window_.compat_view;
    steps_ = {
        [this, &st] {
            if (!window_.session().ST_loaded || !window_.session().FD_loaded)
                return fail(QStringLiteral("no inversion result with fault data is loaded"));
            if (!QDir().mkpath(options_.folder))
                return fail(QStringLiteral("cannot make the folder ") + options_.folder);
            window_.resize(options_.window_size);
            window_.move(0, 0);
            window_.activate(&st);
        },
        [this] { designate_fittest_state(); },
        [this] { save(window_, QStringLiteral("stress_view.png")); },
        [this, &fd] {
            // Great circles with the theoretical slip of each datum, as a user would set them.
            window_.activate(&fd);
            click(*fd.plot_method_items[0]);
            set_checked(*fd.CheckBoxTheoreticalSlip, true);
            set_checked(*fd.CheckBoxModelFaults, false);
            click(*fd.ButtonDraw);
            // The pointer over the net, for the orientation read-out of the status bar.
            move_to(*fd.ImageFD, QPoint(fd.ImageFD->height() * 2 / 3, fd.ImageFD->height() / 3));
        },
        [this] { save(window_, QStringLiteral("fault_data_view.png")); },
        [&fd] {
            click(*fd.plot_method_items[1]);
            set_checked(*fd.CheckBoxTheoreticalSlip, false);
            set_checked(*fd.CheckBoxModelFaults, true);
            click(*fd.ButtonDraw);
        },
        [this] { save(window_, QStringLiteral("fault_data_tangent_lineations.png")); },
        [this, &compat] { window_.activate(&compat); },
        [this] { save(window_, QStringLiteral("compatibility_view.png")); },
        [this] {
            // The P and T axes over the contours of the P axes.
            TSession& session = window_.session();
            session.set_kinematics_subject(TDensitySubject::P);
            session.set_kinematics_method(TDensityMethod::Kamb);
            session.set_kinematics_underlay(TKinematicsUnderlay::Density);
            // The box that counts the data without a slip sense waits for an OK: given it.
            QTimer::singleShot(options_.settle_ms, [] {
                if (QWidget* box = QApplication::activeModalWidget())
                    box->close();
            });
            window_.activate(window_.kinematics_view);
        },
        [this] { save(window_, QStringLiteral("kinematics_view.png")); },
        [this, &fd] {
            fd.setFloating(true);
            fd.setGeometry(QRect(options_.floating_at, options_.floating_size));
            fd.show();
            fd.raise();
        },
        [&fd] {
            // One datum picked in the list, drawn in the highlight colour.
            const int row = std::min(11, fd.ListBox->model()->rowCount() - 1);
            const QModelIndex index = fd.ListBox->model()->index(row, 0);
            fd.ListBox->scrollTo(index);
            click_at(*fd.ListBox->viewport(), fd.ListBox->visualRect(index).center());
        },
        [this, &fd] {
            // The floating window over the main window it came from, as the screen shows both.
            const QRect area = window_.frameGeometry().united(fd.frameGeometry());
            fd.repaint();
            save(window_, area, QStringLiteral("floating_view.png"));
        },
    };
}

void TScreenshotDriver::start() {
    step_ = 0;
    QTimer::singleShot(options_.settle_ms, this, &TScreenshotDriver::next);
}

void TScreenshotDriver::next() {
    if (failed_)
        return;
    if (step_ == steps_.size()) {
        emit finished(QString());
        return;
    }
    steps_[step_++]();
    if (!failed_)
        QTimer::singleShot(options_.settle_ms, this, &TScreenshotDriver::next);
}

void TScreenshotDriver::fail(const QString& error) {
    failed_ = true;
    emit finished(error);
}

void TScreenshotDriver::designate_fittest_state() {
    TFormST& st = *window_.st_view;
    TSession& session = window_.session();
    // The state the batch tool's "--stress best" designates.
    const TStressTensor* best = session.fittest_state();
    if (!best)
        return fail(QStringLiteral("the result holds no stress state"));
    TPictureArea& image = *st.ImageST;
    const auto at = [&](QPoint picture) {
        return area_point(picture, image.picture().size(), image.size());
    };
    const QPoint sigma1 = azpl_to_point(best->ax[0], TProjection::EArea,
                                        net_of(session.st_styles, Tsigma1or3::sigma1));
    const QPoint sigma3 = azpl_to_point(best->ax[2], TProjection::EArea,
                                        net_of(session.st_styles, Tsigma1or3::sigma3));
    // The ratio scale runs from x = 800 (0) to 1200 (1); below it lies the arrow's row.
    const QPoint ratio(int(std::lround(800 + 400 * double(best->sr))), 940);

    click(*st.ButtonDesignate);
    // A user's pointer crosses the picture before it stops on the axis.
    move_to(image, at(QPoint(500, 500)));
    click_at(image, at(sigma1));
    move_to(image, at(QPoint(1500, 500)));
    click_at(image, at(sigma3));
    click_at(image, at(ratio));

    if (!session.ST_designated)
        return fail(QStringLiteral("the three clicks designated no stress state"));
    const TStressTensor& d = session.designated_ST;
    if (angle_between(d.ax[0], best->ax[0]) > 1.5 || angle_between(d.ax[2], best->ax[2]) > 1.5 ||
        std::abs(d.sr - best->sr) > 0.005f)
        return fail(QStringLiteral("the clicks missed the fittest stress state"));
}

void TScreenshotDriver::save(QWidget& window, const QString& name) {
    save(window, QRect(), name);
}

void TScreenshotDriver::save(QWidget& window, const QRect& screen_area, const QString& name) {
    // What the window system shows: the pixels as the server holds them.
    window.repaint();
    QGuiApplication::sync();
    QScreen* screen = window.screen();
    QPixmap shot;
    if (screen && screen_area.isNull())
        shot = screen->grabWindow(window.winId());
    else if (screen)
        shot = screen->grabWindow(0, screen_area.x(), screen_area.y(), screen_area.width(),
                                  screen_area.height());
    const QImage image = shot.toImage();
    if (image.isNull())
        return fail(QStringLiteral("cannot grab the window for ") + name);
    const QString path = QDir(options_.folder).filePath(name);
    if (!image.save(path, "PNG", 0)) // quality 0: the strongest compression
        return fail(QStringLiteral("cannot write ") + path);
    written_.append(path);
}
