#pragma once
#include <stdexcept>
#include <string>

// The failures the bindings raise, each turned into its Python exception
// (kbr370.LinkError, kbr370.BoardRefused, ValueError) where the module is
// loaded. The text is the one kbr370 prints.
namespace kbr::python {

// The board was not reached, or the link was lost.
struct TLinkError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The board answered that it could not do it.
struct TBoardRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Any other failure of the board's work (kbr370.Error).
struct TBoardError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace kbr::python
