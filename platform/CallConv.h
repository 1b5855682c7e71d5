#pragma once
// The board maker's libraries use stdcall on Windows; Linux has one convention.
#define KBR_STDCALL
