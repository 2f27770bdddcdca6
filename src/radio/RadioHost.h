#pragma once

// The radio host object: created at start-up and kept for the run; nothing it could return is
// used. Holding it keeps the radio support layer's process-wide resources alive.
class RadioHost {
public:
    virtual ~RadioHost() = default;
};
