// Firmware and configuration transfers: the switch fetches a firmware image or a configuration file
// from a TFTP server, or sends its own to one, and reports how it goes in a state object.
//
// Objects (M = 1.3.6.1.4.1.32473.10.76.10.3): firmware M.1 server address, M.2 file name, M.3
// operation (1 upgrade, 2 backup), M.4 state; configuration M.5, M.6, M.7 (1 restore, 2 backup), M.8.
// States: 0 success (also before the first transfer), 2 failure, 3 transferring (the server answers,
// or the transfer began less than 20 s ago), 4 still trying a server that has been silent for 20 s,
// and writing.
#pragma once

#include "sim/Feature.h"
#include "sim/Tftp.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace tqxsim {

class CSimDevice;

namespace oids {
extern const Oid fwServer, fwFile, fwOperation, fwState, cfgServer, cfgFile, cfgOperation, cfgState;
} // namespace oids

enum TransferState { kTransferOk = 0, kTransferFailed = 2, kTransferRunning = 3, kTransferWriting = 4 };

// The firmware image: a 64-byte header, then the payload. The header holds "TQXFW1" and two NUL bytes,
// the model (24 bytes) and the version (16 bytes), both NUL-padded, then the payload's length and its
// CRC-32, each 4 bytes big-endian, and 8 bytes of zero.
constexpr std::size_t kFirmwareHeaderSize = 64;
std::string MakeFirmwareImage(const std::string& model, const std::string& version, std::size_t payloadSize);
// Checks an image for model; on success *version gets its version. Otherwise *why says what is wrong.
bool CheckFirmwareImage(const std::string& image, const std::string& model, std::string* version, std::string* why);
std::uint32_t Crc32(const std::string& bytes);

// The configuration file: "tqx-config 1", "model NAME", one snmprec line per object in OID order, then
// "end COUNT". ReadConfigFile refuses another format or model, a broken line and a count that does
// not match (a truncated file).
std::string WriteConfigFile(const std::string& model, const ObjectMap& objects);
bool ReadConfigFile(const std::string& text, const std::string& model, ObjectMap* objects, std::string* why);

class CMaintenanceFeature : public CSimFeature {
public:
    static constexpr const char* kFactoryVersion = "1.0.0";

    // model: the model name images and files must carry, description the system description the
    // firmware version is added to.
    CMaintenanceFeature(CSimDevice& device, std::string model, std::string description, std::uint16_t tftpPort,
                        int tftpTries)
        : m_device(device), m_nTftpPort(tftpPort), m_nTftpTries(tftpTries), m_model(std::move(model)),
          m_baseDescription(std::move(description))
    {
    }
    ~CMaintenanceFeature() override;

    void AddDefaults(ObjectMap& objects, const ModelInfo& model) const override;
    bool Handles(const Oid& oid) const override;
    SetError CheckSet(const ObjectMap& objects, const Oid& oid, const Value& value, const ObjectMap& request) const override;
    void Committed(ObjectMap& objects, const Oid& oid) override;
    void Tick(ObjectMap& objects, std::chrono::steady_clock::time_point now) override;

    const std::string& Version() const { return m_version; }

private:
    struct Job {
        bool firmware = false;
        bool upgrade = false; // fetch (upgrade, restore), else send (backup)
        std::string server;   // dotted, for the reports
        std::string file;
    };
    void Finish(ObjectMap& objects, bool ok, const std::string& why);
    void Join();

    CSimDevice& m_device;
    std::uint16_t m_nTftpPort;
    int m_nTftpTries;
    std::string m_model;
    std::string m_baseDescription;
    std::string m_version = kFactoryVersion;

    std::optional<Job> m_job;      // the transfer under way
    std::thread m_thread;          // runs its TFTP part
    std::atomic<bool> m_bStop{false};
    std::atomic<std::int64_t> m_heardAt{0}; // the server's last packet (steady_clock ticks)
    bool m_bSilent = false;                 // the state says so
    std::mutex m_mutex;            // guards the three below
    bool m_bFetched = false;       // the TFTP part has ended
    TftpResult m_result;
    std::string m_data;            // fetched, or to send
    std::optional<std::chrono::steady_clock::time_point> m_writtenAt; // end of writing
    std::optional<std::chrono::steady_clock::time_point> m_restartAt; // after a firmware upgrade
    std::string m_newVersion;
    ObjectMap m_restored;
};

} // namespace tqxsim
