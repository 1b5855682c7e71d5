#pragma once

// The kinds of message box. Lower layers never show one: they return their
// reasons, and a front end's host shows them (see core/Host.h).
namespace platform {

enum class MessageKind { Information, Warning, Error };

} // namespace platform
