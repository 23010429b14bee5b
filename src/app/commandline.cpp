#include "app/commandline.h"

#include "bridge/bridge.h"

#include <QStringList>
#include <cstdio>

namespace {

const QString Help = QStringLiteral(
    "uso: autoquorvan [--help | --version]\n"
    "\n"
    "Ponte entre a automação das bombas e a retaguarda do posto: leva cada abastecimento das\n"
    "tabelas BOMBAnn.DBF à retaguarda, atende as leituras de encerrante pedidas em C:\\Automacao e\n"
    "fica na área de notificação. Roda uma cópia por unidade C:.\n"
    "\n"
    "  --help     mostra esta ajuda e sai\n"
    "  --version  mostra a versão e sai\n"
    "\n"
    "Configuração: C:\\Quorvan\\AutoQuorvanNolvex\\AutoQuorvan.INI e Retaguarda.INI. Fora do Windows a\n"
    "unidade X: é a pasta $AUTOQUORVAN_DRIVES/X (padrão: ~/.local/share/AutoQuorvan/drives/X).\n"
    "Sem tela, rode com QT_QPA_PLATFORM=offscreen: cada caixa de mensagem também vai para a saída\n"
    "de erro, e SIGTERM, SIGINT ou SIGHUP fecham o programa, mesmo com uma caixa aberta.\n"
    "\n"
    "Saída: 0 fechado; 1 parou na partida (outra cópia aberta, retaguarda sem resposta, erro);\n"
    "2 argumento inválido.\n");

void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

std::optional<int> CommandLine::answer(int argc, const char* const argv[])
{
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == u"--help" || argument == u"-h") {
            help = true;
        } else if (argument == u"--version") {
            version = true;
        } else {
            write(stderr, QStringLiteral("autoquorvan: argumento desconhecido \"%1\" (use --help)\n").arg(argument));
            return ExitBadArgument;
        }
    }
    if (help)
        write(stdout, Help);
    else if (version)
        write(stdout, QStringLiteral("autoquorvan %1\n").arg(Bridge::gVersao));
    else
        return std::nullopt;
    return 0;
}
