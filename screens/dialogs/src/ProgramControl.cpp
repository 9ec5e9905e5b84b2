#include "quandrelle/screens/dialogs/ProgramControl.h"

#include <QCoreApplication>

namespace quandrelle {

void QtProgramControl::endProgram() {
    m_ending = true;
    // Leaves every running event loop, modal ones included; the application then destroys its
    // screens, which closes the record files.
    QCoreApplication::exit(0);
}

}  // namespace quandrelle
