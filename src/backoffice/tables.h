#pragma once

#include "backoffice/sqltable.h"

// The back-office's tables, each defined once; the schema of a new database, its upgrades, the
// classes' statements and the administration tool's listings all come from here.
namespace Tables {
// The version a database made by this program carries in its versao_esquema table. 1: the first
// five tables; 2: the totalizer's history and the stations' status.
inline constexpr int SchemaVersion = 2;

const SqlTable& produtos();
const SqlTable& estoques();
const SqlTable& bicos();
const SqlTable& encerrantes();
const SqlTable& abastecimentos();
// Every change of a totalizer, append-only: written in the transaction that changes it.
const SqlTable& historico();
// One row per station (company), and one per nozzle of it that holds records back.
const SqlTable& situacao();
const SqlTable& situacaoBicos();
// The local e-mail outbox, a file of its own.
const SqlTable& mensagens();

// The tables of the back-office records that each schema version added, from version 1 on.
QList<const SqlTable*> addedIn(int version);
} // namespace Tables
