// The small files and keys of client and server, one per input (its first byte picks which, the rest is the
// content): "pubkey.bin" as the log-on window loads it and enciphers a session key with it; the server's key file;
// the server's deciphering of a log-in's userKey, either the bytes as the enciphered block or the bytes as the
// session key that a good block carries (the server then answers a request sealed with that key); a PNG image
// loaded and drawn; "phone.ini" as the phone-line identity reads it.
#include "core/DataSet.h"
#include "core/PhoneLineInfo.h"
#include "core/TextHelpers.h"
#include "fuzz/FuzzHome.h"
#include "fuzz/FuzzServer.h"
#include "platform/device/Rsa.h"
#include "platform/device/RsaKeyPair.h"
#include "platform/display/Display.h"
#include "platform/ui/MzImage.h"
#include "platform/win/Gdi.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

enum Kind { PUBLIC_KEY, SERVER_KEY_FILE, SEALED_USER_KEY, PLAIN_USER_KEY, PNG_IMAGE, PHONE_PROFILE, KIND_COUNT };

struct Fixture {
    std::string home = FuzzHomePath();
    CRsaKeyPair keys;
    std::vector<unsigned char> publicDer;
    std::unique_ptr<CServerFunctions> functions;
    HDC dc = nullptr;

    Fixture()
    {
        morwick::display::StartDisplay();
        keys.Generate(2048);
        publicDer = keys.GetPublicKeyDer();
        CServerOptions options = FrozenServerOptions();
        functions = std::make_unique<CServerFunctions>(options, &keys);
        functions->SetCompressMode(0);
        functions->SetCipherMode(1);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, CreateCompatibleBitmap(dc, 64, 64)); // small: a large stretch costs more than the decoding
        std::error_code ignored;
        std::filesystem::create_directories(home + "device", ignored);
    }

    bool Write(const std::string& path, const uint8_t* data, size_t size)
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr)
            return false;
        bool ok = std::fwrite(data, 1, size, f) == size;
        return std::fclose(f) == 0 && ok;
    }

    // A log-in carrying userKey, then a request in the session it opened, answered sealed with its key, and the
    // log-out.
    void LogIn(const std::string& userKeyHex)
    {
        CServerReply login =
            functions->Handle("hwID=1,2&softName=RuvAv&tc_mfuncno=100&tc_sfuncno=1&userKey=" + userKeyHex);
        if (login.result != 0)
            return;
        CDataSet** sets = nullptr;
        int count = ParseDataSets(reinterpret_cast<const BYTE*>(login.body.data()), (DWORD)login.body.size(), &sets);
        const char* session = count > 0 && sets != nullptr && sets[0]->GetRowCount() > 0
                                  ? (sets[0]->MoveFirst(), sets[0]->GetString("session"))
                                  : nullptr;
        if (session != nullptr) {
            std::string prefix = std::string("hwID=1,2&softName=RuvAv&TC_SESSION={") + session + "}&";
            functions->Handle(prefix + "tc_mfuncno=31000&tc_sfuncno=6");
            functions->Handle(prefix + "tc_mfuncno=100&tc_sfuncno=22"); // the sessions do not pile up
        }
        for (int i = 0; i < count; ++i)
            delete sets[i];
        free(sets);
    }
};

std::string Hex(const unsigned char* bytes, size_t size)
{
    std::string hex(size * 2, '0');
    HexEncode(bytes, (int)size, hex.data(), 0);
    return hex;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fixture fixture;
    if (size < 1 || size > 64 * 1024)
        return 0;
    const uint8_t* content = data + 1;
    size_t length = size - 1;
    switch (data[0] % KIND_COUNT) {
    case PUBLIC_KEY: {
        std::string path = fixture.home + "pubkey.bin";
        if (!fixture.Write(path, content, length))
            return 0;
        CRSA rsa;
        BYTE cipher[CRSA::OUTPUT_SIZE];
        DWORD cipherLength = 0;
        if (rsa.LoadPublicKey(path.c_str()))
            rsa.Encrypt(reinterpret_cast<const BYTE*>("AbCdEfGh01234567"), 16, cipher, &cipherLength);
        break;
    }
    case SERVER_KEY_FILE: {
        // Never empty: a missing key file is made anew, which is not what is fuzzed here.
        std::string path = fixture.home + "server-key.pem";
        if (length == 0 || !fixture.Write(path, content, length))
            return 0;
        CRsaKeyPair keys;
        std::vector<unsigned char> plain;
        if (keys.LoadOrCreate(path))
            keys.Decrypt(content, (int)length, plain);
        break;
    }
    case SEALED_USER_KEY:
        fixture.LogIn(Hex(content, length));
        break;
    case PLAIN_USER_KEY: {
        std::vector<unsigned char> sealed;
        if (CRsaKeyPair::EncryptWithPublicKey(fixture.publicDer, content, (int)length, sealed) > 0)
            fixture.LogIn(Hex(sealed.data(), sealed.size()));
        break;
    }
    case PNG_IMAGE: {
        std::string path = fixture.home + "fuzz.png";
        if (!fixture.Write(path, content, length))
            return 0;
        CMzImage image;
        std::u16string widePath(path.begin(), path.end()); // the fuzz home is ASCII
        if (image.LoadImage(widePath.c_str())) {
            RECT all{0, 0, 64, 64}, part{-7, 13, 95, 60};
            image.Draw(fixture.dc, &all, TRUE);
            image.Draw(fixture.dc, &part, FALSE);
            image.DrawAt(fixture.dc, 50, 3);
        }
        break;
    }
    case PHONE_PROFILE: {
        if (!fixture.Write(fixture.home + "device/phone.ini", content, length))
            return 0;
        CPhoneLineInfo line;
        if (line.Open()) {
            line.GetInfo(CPhoneLineInfo::INFO_SERIAL_NUMBER);
            line.GetInfo(CPhoneLineInfo::INFO_SUBSCRIBER_NUMBER);
        }
        break;
    }
    }
    return 0;
}
