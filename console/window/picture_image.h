// The fixed picture of Picture1: a weighbridge with a lorry on it under the
// letters KTRV, 138 x 73 pixels of 24-bit colour, drawn in code.
#ifndef KTRV_PICTURE_IMAGE_H
#define KTRV_PICTURE_IMAGE_H

#include <QImage>

namespace ktrv {

QImage makePicture1Image();

}  // namespace ktrv

#endif
