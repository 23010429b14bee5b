#include "common/error.h"

Error::Error(int number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(m_description.toUtf8())
{
}

Error Error::overflow()
{
    return Error(ErrorNumber::Overflow, QStringLiteral("Estouro"));
}

Error Error::invalidUseOfNull()
{
    return Error(ErrorNumber::InvalidUseOfNull, QStringLiteral("Uso inválido de Nulo"));
}

Error Error::noCurrentRecord()
{
    return Error(ErrorNumber::NoCurrentRecord, QStringLiteral("Nenhum registro atual."));
}

Error Error::typeMismatch(const QString& value)
{
    return Error(ErrorNumber::TypeMismatch, QStringLiteral("Tipos incompatíveis: \"%1\"").arg(value));
}
