#pragma once

#include "backoffice/backofficedatabase.h"
#include "common/datevalue.h"
#include "common/money.h"

#include <QDateTime>
#include <QString>

// The back-office classes the bridge calls, with the names, properties and operations it knows.
// Each object holds only its property values and a reference to the shared database, so the
// window creates and releases them in any order; the database must outlive them. A failed call
// throws Error with ErrorNumber::BackOffice. A look-up that finds nothing leaves every property
// zero or empty.

class clsConexao {
public:
    explicit clsConexao(BackOfficeDatabase& database)
        : m_database(database)
    {
    }
    // True when the back-office database opens and holds our schema; never creates it.
    bool Ativa() { return m_database.open(); }
    // The database its transactions run on.
    BackOfficeDatabase& database() { return m_database; }

private:
    BackOfficeDatabase& m_database;
};

class clsBico {
public:
    explicit clsBico(BackOfficeDatabase& database)
        : m_database(database)
    {
    }
    // Loads the company's nozzle; true when it is registered.
    bool Localiza(qint16 empresa, qint16 bico);
    // Creates or replaces the company's nozzle with the properties.
    void Grava(qint16 empresa, qint16 bico);

    qint32 CodigoProduto = 0;
    Money ValorUnitario;

private:
    BackOfficeDatabase& m_database;
};

class clsProduto {
public:
    explicit clsProduto(BackOfficeDatabase& database)
        : m_database(database)
    {
    }
    // Loads the product; true when it is registered.
    bool Localiza(qint32 codigoProduto);
    // Creates or replaces the product with the properties.
    void Grava(qint32 codigoProduto);

    QString Descricao;
    Money ValorUnitario;

private:
    BackOfficeDatabase& m_database;
};

class clsEstoque {
public:
    explicit clsEstoque(BackOfficeDatabase& database)
        : m_database(database)
    {
    }
    // Loads the company's stock item of the product; true when it is registered.
    bool Localiza(qint16 empresa, qint32 codigoProduto);
    // Creates or replaces the stock item with the properties.
    void Grava(qint16 empresa, qint32 codigoProduto);

    Money ValorUnitario;

private:
    BackOfficeDatabase& m_database;
};

// A nozzle's totalizer. Every change it stores leaves a row in the totalizer's history, in the
// same statement's transaction, saying what changed it: the history explains every difference.
class clsEncerrante {
public:
    explicit clsEncerrante(BackOfficeDatabase& database)
        : m_database(database)
    {
    }
    // Loads the nozzle's totalizer; true when the nozzle has one. Inside a transaction on a server
    // the row stays locked until the transaction ends, so nothing changes it in between.
    bool Localiza(qint16 empresa, qint16 bico);
    // Stores EncerranteAtual as the nozzle's totalizer, a fueling's change (the fueling's date and
    // time below say which); true when stored, false when the nozzle has no totalizer.
    bool Altera(qint16 empresa, qint16 bico);
    // Creates or sets the nozzle's totalizer by hand, with the reason below.
    void Grava(qint16 empresa, qint16 bico);

    Money EncerranteAtual;
    // What the history says of the change: when it was made, and the fueling (Altera) or the reason
    // (Grava).
    QDateTime Momento;
    DateValue DataAbastecimento;
    DateValue HoraAbastecimento;
    QString Motivo;

private:
    BackOfficeDatabase& m_database;
    Money m_loaded;
};

class clsAbastecimento {
public:
    explicit clsAbastecimento(BackOfficeDatabase& database)
        : m_database(database)
    {
    }
    // True when the company's fueling of that date, time and nozzle is already registered; its
    // Quantidade and ValorTotal are then loaded, so a second sale under the same key is told from
    // the same sale read twice.
    bool Existe(qint16 empresa, DateValue data, DateValue hora, qint16 bico);
    // Registers the fueling held in the properties; false, writing nothing, when a fueling of the
    // same company, date, time and nozzle is already registered.
    bool Inclui();

    qint16 CodigoEmpresa = 0;
    qint16 NumeroBico = 0;
    DateValue DataAbastecimento;
    DateValue HoraAbastecimento;
    QString Campo05;
    qint16 CodigoProduto = 0;
    Money ValorUnitario;
    Money Quantidade;
    Money ValorTotal;
    qint32 Campo10 = 0;
    qint32 Campo11 = 0;
    qint32 Campo12 = 0;
    QString Campo13;
    Money Campo14;
    QString Campo15;
    QString Campo16;
    QString Campo17;
    Money Campo18;
    Money Campo19;
    QString Campo20;
    qint32 Campo21 = 0;
    qint32 Campo22 = 0;

private:
    BackOfficeDatabase& m_database;
};
