#pragma once

// The value kinds a keyed archive holds.
enum class ArchiveKind {
    None,       // no value under the key / index out of range
    Bool,
    Int,        // integers; decodeInt32 refuses values outside 32 bits
    Float,      // single precision
    Double,
    String,
    Data,
    Array,
    Dictionary, // string keys
    Object,     // a class name and keyed fields
    AttributedText,
    Rect,
    Point,
    Size,
};
