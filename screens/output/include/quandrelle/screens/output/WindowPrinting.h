#pragma once

class QPrinter;
class QWidget;

namespace quandrelle {

class DialogRunner;
class Messenger;

// Paints the window's image, scaled to fit the page, on a printer already set up; false when the
// printer could not be started.
bool printWindowImage(QWidget& window, QPrinter& printer);

// Prints an image of the window on the default printer. When there is none, or it cannot be
// started, the user is offered a PDF file of the image instead.
void printWindow(QWidget& window, bool printerAvailable, Messenger& messenger, DialogRunner& dialogs);

}  // namespace quandrelle
