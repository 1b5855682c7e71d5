#pragma once
#include <QImage>
#include <QString>

// The painters of the skin generator. Each returns a finished 24-bit picture of
// exactly the requested size; the generator only names and saves them.
namespace skingen {

QImage PaintMainUi(int w, int h);
QImage PaintAboutBackground(int w, int h);
QImage PaintPageBackground(const QString& name, int w, int h);
QImage PaintButtonStrip(const QString& name, int w, int h);
QImage PaintSprite(const QString& name, int w, int h);
QImage PaintWelcomeFrame(int index, int count, int w, int h);

} // namespace skingen
