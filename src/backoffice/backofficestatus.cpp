#include "backoffice/backofficestatus.h"

#include "backoffice/sqlconnection.h"
#include "backoffice/tables.h"

namespace {

const QString Moment = QStringLiteral("yyyy-MM-dd HH:mm:ss");

} // namespace

void BackOfficeStatus::grava(BackOfficeDatabase& database, const StationHealth& health)
{
    constexpr auto Operation = "gravar situacao";
    static const QString Station
        = Tables::situacao().upsert(Tables::situacao().names(), Tables::situacao().names().mid(1));
    static const QString Forget
        = QStringLiteral("DELETE FROM %1 WHERE empresa = :empresa").arg(Tables::situacaoBicos().name);
    static const QString Nozzle = Tables::situacaoBicos().insert(Tables::situacaoBicos().names());
    database.call([&] {
        SqlConnection& connection = database.records(Operation);
        SqlTransaction transaction(connection, Operation);
        connection.write(Station,
            { { QStringLiteral("empresa"), health.empresa },
                { QStringLiteral("computador"), SqlValue::of(health.computador) },
                { QStringLiteral("versao"), SqlValue::of(health.versao) },
                { QStringLiteral("inicio"), health.inicio.toString(Moment) },
                { QStringLiteral("ultimo_ciclo"), health.ultimoCiclo.toString(Moment) } },
            Operation);
        connection.write(Forget, { { QStringLiteral("empresa"), health.empresa } }, Operation);
        for (const StationHealth::Nozzle& nozzle : health.bicos) {
            connection.write(Nozzle,
                { { QStringLiteral("empresa"), health.empresa }, { QStringLiteral("bico"), nozzle.bico },
                    { QStringLiteral("retidos"), nozzle.retidos },
                    { QStringLiteral("mais_antigo"), SqlValue::of(nozzle.maisAntigo) },
                    { QStringLiteral("motivo"), SqlValue::of(nozzle.motivo) } },
                Operation);
        }
        transaction.commit();
    });
}

bool BackOfficeStatus::pulsa(BackOfficeDatabase& database, const StationHealth& health)
{
    constexpr auto Operation = "gravar situacao";
    static const QString Pulse = QStringLiteral("UPDATE %1 SET ultimo_ciclo = :ultimo_ciclo WHERE empresa = :empresa")
                                     .arg(Tables::situacao().name);
    return database.call([&] {
        return database.records(Operation).write(Pulse,
                   { { QStringLiteral("empresa"), health.empresa },
                       { QStringLiteral("ultimo_ciclo"), health.ultimoCiclo.toString(Moment) } },
                   Operation)
            > 0;
    });
}

QList<QStringList> BackOfficeStatus::lista(BackOfficeDatabase& database, const QDateTime& now)
{
    constexpr auto Operation = "listar situacao";
    static const QString Stations = Tables::situacao().select(
        Tables::situacao().names(), {}, SqlEngine::Sqlite, false, QStringLiteral("empresa"));
    static const QString Nozzles = Tables::situacaoBicos().select(
        { QStringLiteral("empresa"), QStringLiteral("bico"), QStringLiteral("retidos") }, {}, SqlEngine::Sqlite, false,
        QStringLiteral("empresa, bico"));
    return database.call([&] {
        SqlConnection& connection = database.records(Operation);
        QList<QStringList> result;
        const QList<SqlRow> nozzles = connection.rows(Nozzles, {}, Operation);
        for (const SqlRow& station : connection.rows(Stations, {}, Operation)) {
            const QDateTime last = QDateTime::fromString(station[4].toString(), Moment);
            const bool stopped = !last.isValid() || last.secsTo(now) > 60;
            int retidos = 0;
            QStringList bicos;
            for (const SqlRow& nozzle : nozzles) {
                if (nozzle[0] != station[0])
                    continue;
                retidos += nozzle[2].toInt();
                bicos << nozzle[1].toString() + u'=' + nozzle[2].toString();
            }
            result << QStringList { station[0].toString(), station[1].toString(), station[2].toString(),
                station[3].toString(), station[4].toString(),
                stopped ? QStringLiteral("parado") : QStringLiteral("ativo"), QString::number(retidos),
                bicos.join(u' ') };
        }
        return result;
    });
}
