// The phone this client runs on, as a small editable text file "phone.ini" in the device directory:
// whether it has a cellular line, the line's serial and subscriber numbers, and whether text messages go out.
// Made with plausible values on first use; read again on every call so a test or script can change it.
//
//   cellular_line=yes            (no: the telephony interface has no line named "Cellular Line")
//   serial_number=356938035643809
//   subscriber_number=13912345678 (empty: the line reports no subscriber number)
//   sms_sending=works            (fails: every text message is refused)
#pragma once

#include <string>

struct PhoneProfile {
    bool cellularLine = true;
    std::string serialNumber;     // UTF-8
    std::string subscriberNumber; // UTF-8, may be empty
    bool smsSendingWorks = true;
};

// The current profile; creates "phone.ini" with fresh plausible values when it is missing.
PhoneProfile ReadPhoneProfile();
// Replaces "phone.ini" (for tests and automation); false when it cannot be written.
bool WritePhoneProfile(const PhoneProfile& profile);
