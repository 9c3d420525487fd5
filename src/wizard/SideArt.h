// The side picture of the wizard: our own artwork, drawn rather than stored,
// so it stays sharp at any scale. Two old data stores hand their contents
// down an arrow to one new store.
#pragma once

#include <QPixmap>
#include <QSize>

namespace mirel {

/// The picture at size (logical pixels) for a screen with devicePixelRatio.
QPixmap DrawSideArt(QSize size, qreal devicePixelRatio);

}  // namespace mirel
