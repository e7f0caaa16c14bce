#include "agency/AgencyProfile.h"

#include "core/IniFile.h"
#include "core/Text.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char *kSection = "Agency Info";

// The keys in the order they are written, with the field each one holds.
struct KeyField
{
    const char *key;
    std::string TAgencyInformation::*field;
};

constexpr KeyField kKeys[] = {
    {"Name", &TAgencyInformation::Name},     {"Attn", &TAgencyInformation::Attn},
    {"Street", &TAgencyInformation::Street}, {"City", &TAgencyInformation::City},
    {"State", &TAgencyInformation::State},   {"Zip", &TAgencyInformation::Zip},
    {"Phone", &TAgencyInformation::Phone},   {"Fax", &TAgencyInformation::Fax},
    {"EMail", &TAgencyInformation::EMail},   {"ProducerID", &TAgencyInformation::ProducerID},
};

} // namespace

TAgencyInformationStorage::TAgencyInformationStorage(std::string settingsFile)
    : m_settingsFile(std::move(settingsFile))
{ }

TAgencyInformation TAgencyInformationStorage::Read() const
{
    const TIniFile ini(m_settingsFile);
    TAgencyInformation information;
    for (const KeyField &entry : kKeys) {
        information.*entry.field = ini.ReadString(kSection, entry.key, "");
    }
    return information;
}

void TAgencyInformationStorage::Write(const TAgencyInformation &information) const
{
    TIniFile ini(m_settingsFile);
    for (const KeyField &entry : kKeys) {
        ini.WriteString(kSection, entry.key, information.*entry.field);
    }
}

bool TAgencyProfile::HasAgencyName() const
{
    return !Trim(m_information.Name).empty();
}

bool ProfileLockedBy(const std::vector<std::string> &arguments)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::string &argument) { return SameText(argument, "NoProfile"); });
}
