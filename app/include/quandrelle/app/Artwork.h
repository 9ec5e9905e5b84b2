#pragma once

#include <QPixmap>
#include <QSize>

namespace quandrelle {

// The program's own pictures, drawn rather than loaded: a respirator cartridge cut open to show
// its carbon bed with air passing through, and a small emblem of the product.
QPixmap cartridgePicture(QSize size);
QPixmap emblemPicture(QSize size);

}  // namespace quandrelle
