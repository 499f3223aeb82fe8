#pragma once

class ArchiveDecoder;
class ArchiveEncoder;
class ListItem;

// The archived fields of a list: written and read under their keys in one
// fixed order that stored files depend on, and copied from another list.
class ListItemArchive
{
public:
    ListItemArchive() = delete;

    static void encode(const ListItem &list, ArchiveEncoder &coder);
    // Values of the wrong kind are left out; false when the rows cannot be read.
    static bool decode(ListItem &list, const ArchiveDecoder &coder);
    // Resets `list` and takes every archived field of `other`, sharing its
    // rows; false, after the reset, when `other` has no titles.
    static bool copy(ListItem &list, const ListItem &other);
};
