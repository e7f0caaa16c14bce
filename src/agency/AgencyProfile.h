#pragma once

#include <string>
#include <vector>

// The agent's own name and address block, printed on quotes and forms. An empty Name blocks
// every output.
struct TAgencyInformation
{
    std::string Name;
    std::string Attn;
    std::string Street;
    std::string City;
    std::string State;
    std::string Zip;
    std::string Phone;
    std::string Fax;
    std::string EMail;
    std::string ProducerID; // shown as "Fed Tax ID:"
};

// Reads and writes agency information in the section "Agency Info" of a settings file.
class TAgencyInformationStorage
{
public:
    explicit TAgencyInformationStorage(std::string settingsFile);
    virtual ~TAgencyInformationStorage() = default;

    const std::string &SettingsFile() const { return m_settingsFile; }

protected:
    // Missing keys read as empty text.
    TAgencyInformation Read() const;
    // All ten keys, empty ones too, in the order of TAgencyInformation. Raises
    // std::runtime_error when the file cannot be written.
    void Write(const TAgencyInformation &information) const;

private:
    std::string m_settingsFile;
};

// The profile of the running program: loaded at start-up from the settings file beside the
// program, edited in the "Agency Profile" window.
class TAgencyProfile : public TAgencyInformationStorage
{
public:
    using TAgencyInformationStorage::TAgencyInformationStorage;

    void Load() { m_information = Read(); }
    void Save() const { Write(m_information); }

    const TAgencyInformation &Information() const { return m_information; }
    TAgencyInformation &Information() { return m_information; }
    // A blank (trimmed) agency name leaves the profile incomplete.
    bool HasAgencyName() const;

private:
    TAgencyInformation m_information;
};

// True when one of the command-line arguments (program name excluded) is the word "NoProfile",
// without regard to case: the profile is then shown but cannot be changed.
bool ProfileLockedBy(const std::vector<std::string> &arguments);
