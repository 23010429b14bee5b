#include "notify/emailrequest.h"

#include "backoffice/clsmensagememail.h"
#include "common/conversions.h"
#include "common/error.h"
#include "common/textfile.h"
#include "notify/mdl_socket_ip.h"
#include "notify/supportcontact.h"

namespace {

// "000": at least three digits, the sign in front.
QString threeDigits(qint64 value)
{
    const QString digits = QString::number(qAbs(value)).rightJustified(3, u'0');
    return value < 0 ? u'-' + digits : digits;
}

// The company code the caller gives as text.
qint16 companyNumber(const QString& pEmpresa)
{
    bool ok = false;
    const qint64 value = pEmpresa.trimmed().toLongLong(&ok);
    if (!ok)
        throw Error::typeMismatch(pEmpresa);
    return toInteger16(value);
}

} // namespace

EmailRequest::EmailRequest(BackOfficeDatabase& database, const Drives& drives, const Clock& clock,
    MessageBox& messageBox, const HostSystem& host)
    : m_database(database)
    , m_drives(drives)
    , m_clock(clock)
    , m_messageBox(messageBox)
    , m_host(host)
{
}

bool EmailRequest::EnviaMensagemEmail(const QString& pEmpresa, const QString& pNomeEmpresa, const QString& pAssunto,
    const QString& pMensagem, qint16 pLiberada, qint32 /*pCodigo: kept for callers, never used*/)
{
    const QString subject = pNomeEmpresa.left(15) + u':' + pAssunto;
    bool result = false;
    try {
        storeMessage(pEmpresa, pNomeEmpresa, subject, pMensagem, pLiberada, result);
        writeRequestFile(pEmpresa, pNomeEmpresa, subject, pMensagem);
        return true;
    } catch (const Error& error) {
        m_messageBox.show(QStringLiteral("Erro ao gravar Kvt_Cadastro.ini!\n") + error.description(),
            MessageStyle::Information, QStringLiteral("Erro Interno!"));
        return result;
    }
}

void EmailRequest::storeMessage(const QString& pEmpresa, const QString& pNomeEmpresa, const QString& subject,
    const QString& pMensagem, qint16 pLiberada, bool& result)
{
    const auto now = [this] { return m_clock.now().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")); };
    clsMensagemEmail message(m_database);
    // F: the release state that decides whether the message stays open; a stored change counts as
    // released, as a true flag always did.
    qint32 released = 0;
    if (gCodigoMensagemAberta == 0) {
        message.Empresa = companyNumber(pEmpresa);
        message.Codigo = 1;
        message.NomeEmpresa = pNomeEmpresa;
        message.NomeDestinatario = SupportContact::Name;
        message.EmailDestinatario = SupportContact::Address;
        message.EmailCopia = SupportContact::FirstCopy;
        message.Assunto = subject;
        message.Mensagem = pMensagem;
        message.DataHora = now();
        message.DataHoraRegistro = message.DataHora;
        message.EnderecoIP = mdl_socket_ip::EnderecoIPLocal(m_host, m_messageBox);
        message.Situacao = 0;
        message.Liberada = pLiberada;
        result = message.Inclui();
        released = pLiberada;
    } else if (message.Localiza(gChaveMensagem, gCodigoMensagemAberta)) {
        message.Mensagem = message.Mensagem + QStringLiteral("\r\n") + pMensagem;
        message.Liberada = pLiberada;
        released = message.Altera(gChaveMensagem, gCodigoMensagemAberta) ? -1 : 0;
    } else {
        gCodigoMensagemAberta = 0;
        released = pLiberada;
    }

    gCodigoMensagemAberta = released == 0 ? message.Codigo : 0;

    if (gCodigoMensagemAberta != 0) {
        if (message.Localiza(gChaveMensagem, gCodigoMensagemAberta + 1)) {
            message.Mensagem = message.Mensagem + QStringLiteral("\r\n") + pMensagem;
            message.Liberada = 0;
            message.Altera(gChaveMensagem, gCodigoMensagemAberta + 1);
        }
    } else {
        message.EmailCopia = SupportContact::SecondCopy;
        message.DataHora = now();
        message.DataHoraRegistro = message.DataHora;
        result = message.Inclui();
    }
}

void EmailRequest::writeRequestFile(
    const QString& pEmpresa, const QString& pNomeEmpresa, const QString& subject, const QString& pMensagem) const
{
    const QString finalPath = m_drives.toLocal(RequestPath);
    const QString temporaryPath = m_drives.toLocal(RequestPath.chopped(3) + QStringLiteral("tmp"));
    // An old request is replaced whole, never appended to, even when it was left read-only.
    TextFile::remove(temporaryPath, TextFile::Removal::Forced);
    TextFile::remove(finalPath, TextFile::Removal::Forced);
    TextFile::writeLines(temporaryPath,
        {
            QStringLiteral("[Empresa]"),
            QStringLiteral("Empresa=") + threeDigits(companyNumber(pEmpresa)),
            QStringLiteral("NomeEmpresa=") + pNomeEmpresa,
            QStringLiteral("EmpresaGlobal=") + threeDigits(gEmpresaGlobal),
            QStringLiteral(" "),
            QStringLiteral("[Programa]"),
            QStringLiteral("Programa=MovimentoEnviaMensagemEmailRotina"),
            QStringLiteral(" "),
            QStringLiteral("[Email]"),
            QStringLiteral("Assunto=") + subject,
            QStringLiteral("Mensagem=") + pMensagem,
        });
    TextFile::move(temporaryPath, finalPath);
}
