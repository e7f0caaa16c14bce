#include "dbase/Context.h"

namespace dbase {

void Raise(Context *context, Failure failure, const std::string &message)
{
    if (context != nullptr) {
        context->SetErrorCode(failure);
    }
    throw Error(failure, message);
}

DateParts Context::UpdateDate() const
{
    return m_updateDate ? *m_updateDate : DecodeDate(Today());
}

void Context::RegisterOpen(const FileIdentity &identity, const std::string &path)
{
    if (m_singleOpen && m_open.count(identity) > 0) {
        Raise(this, Failure::InUse, path + " is already open");
    }
    m_open.insert(identity);
}

void Context::UnregisterOpen(const FileIdentity &identity)
{
    const auto it = m_open.find(identity);
    if (it != m_open.end()) {
        m_open.erase(it);
    }
}

} // namespace dbase
