// The phone around the client, for callers that use several of its parts; each part has its own header.
#pragma once

#include "platform/win/Accelerometer.h"
#include "platform/win/ComStartup.h"
#include "platform/win/DisplaySettings.h"
#include "platform/win/InputPanel.h"
#include "platform/win/NamedMutex.h"
#include "platform/win/PhoneEvents.h"
#include "platform/win/PublishedWindows.h"
#include "platform/win/RegisteredMessages.h"
#include "platform/win/ShellRecords.h"
#include "platform/win/StartedPrograms.h"
#include "platform/win/WindowAnimation.h"
#include "platform/win/WorkArea.h"
