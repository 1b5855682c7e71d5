#pragma once

// The kinds of message box. Lower layers never show one: they return their
// reasons, and a front end's reporter shows them (see core/Reporter.h).
namespace platform {

enum class MessageKind { Information, Warning, Error };

} // namespace platform
