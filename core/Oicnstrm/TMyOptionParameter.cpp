#include "Oicnstrm/TMyOptionParameter.h"

TMyOptionParameter::TMyOptionParameter() : key_(KeyPath) {}

bool TMyOptionParameter::ReadBool(const std::wstring& name, bool defaultValue) const
{
    return key_->ValueExists(name) ? key_->ReadBool(name) : defaultValue;
}

int TMyOptionParameter::ReadInteger(const std::wstring& name, int defaultValue) const
{
    return key_->ValueExists(name) ? key_->ReadInteger(name) : defaultValue;
}

std::wstring TMyOptionParameter::ReadBackupFolder() const
{
    return key_->ValueExists(L"BackupFolder") ? key_->ReadString(L"BackupFolder") : std::wstring();
}
