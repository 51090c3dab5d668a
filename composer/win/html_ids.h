// Ids of the embedded browser's published interfaces that MinGW's import
// libraries do not carry (they are only declared in its headers).
#pragma once

#include <windows.h>
#include <oaidl.h>

// The document's event interface, the one the sink connects to.
inline constexpr GUID kDiidHtmlDocumentEvents2 = {
    0x3050F613, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

// Command group of the browser's own editing commands (IOleCommandTarget::Exec).
inline constexpr GUID kCgidMshtml = {
    0xDE4BA900, 0x59CA, 0x11CF, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Dispatch id of the document's ready-state change event.
inline constexpr DISPID kDispidReadyStateChange = -609;
