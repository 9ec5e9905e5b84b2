#include "quandrelle/screens/widgets/BusyCursor.h"

#include <QApplication>
#include <QCursor>

namespace quandrelle {

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace quandrelle
