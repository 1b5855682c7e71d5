#pragma once

// The application-wide cursor (the toolkit's Screen->Cursor).
enum class ScreenCursor { Default, HandPoint, HourGlass };
void SetScreenCursor(ScreenCursor cursor);
ScreenCursor CurrentScreenCursor();
