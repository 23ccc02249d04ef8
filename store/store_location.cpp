#include "store/store_location.h"

#include "store/database.h"

#include <QDir>
#include <QFileInfo>

StoreLocation::StoreLocation(QString text)
    : text_(std::move(text))
    , server_(Database::IsServerUrl(text_))
{}

QString StoreLocation::described() const
{
    return Database::Described(text_);
}

StoreLocation StoreLocation::estimatesBeside() const
{
    if (server_)
        return *this; // the same database keeps both
    return QFileInfo(text_).absoluteDir().filePath(QStringLiteral("Estimates.db"));
}
