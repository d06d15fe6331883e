#pragma once

#include "core/logger.h"
#include "session/session.h"
#include "tests/support/test_support.h"

// A session with its log and a recorder for its messages.
struct SessionFixture {
    EventLog log;
    RecordingMessages messages;
    TSession session{log, messages};
};
