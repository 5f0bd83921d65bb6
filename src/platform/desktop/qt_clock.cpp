#include "platform/desktop/qt_clock.h"

#include <QDateTime>

namespace tarvelo::platform {

Moment QtClock::now() {
    const QDateTime local = QDateTime::currentDateTime();
    const QDate d = local.date();
    const QTime t = local.time();
    return {dateFromYmd(d.year(), d.month(), d.day()), timeFromHms(t.hour(), t.minute(), t.second(), t.msec() / 10)};
}

}  // namespace tarvelo::platform
