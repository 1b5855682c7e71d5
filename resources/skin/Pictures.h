#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <utility>
#include <vector>

// The painters of the skin generator. Each returns a finished 24-bit picture of
// exactly the requested size; the generator only names and saves them.
namespace skingen {

QImage PaintMainUi(int w, int h);
// Where the board lies in the main window's picture, and the frame of each of
// its devices by name, in the picture's 1x coordinates.
QRect BoardArea();
std::vector<std::pair<QString, QRect>> BoardDeviceFrames();
// Writes the board as board.png and its device frames as frames.txt into dir,
// for the report writers.
bool WriteBoardSource(const QString& dir);
QImage PaintAboutBackground(int w, int h);
QImage PaintPageBackground(const QString& name, int w, int h);
QImage PaintButtonStrip(const QString& name, int w, int h);
QImage PaintSprite(const QString& name, int w, int h);
QImage PaintWelcomeFrame(int index, int count, int w, int h);

} // namespace skingen
