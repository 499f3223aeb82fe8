#pragma once

// Chooses between the two ways a worker thread may be started. Every system
// this runs on starts threads one way, so the answer is fixed.
class OSVersion
{
public:
    static bool osVersion();
};
