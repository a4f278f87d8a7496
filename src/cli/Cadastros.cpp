// Verbos dos cadastros: contribuintes e responsáveis (listar e importar de planilhas).
#include <optional>

#include "cli/Comum.h"
#include "data/Cadastros.h"
#include "data/ImportacaoCadastros.h"
#include "data/dmPrincipal.h"
#include "platform/Sinais.h"

namespace kov::cli {

namespace {

std::string opcional(const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); }

TipoCadastro tipoDe(const Verbo& v) {
    return v.substantivo == "contribuintes" ? TipoCadastro::Contribuintes : TipoCadastro::Responsaveis;
}

int listarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (!a.empty()) return usoIncorreto(v, c);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    if (tipoDe(v) == TipoCadastro::Contribuintes) {
        const auto linhas = ListarContribuintes(dm.MainConnection);
        if (linhas.empty()) listaVazia(c, "Nenhum contribuinte cadastrado.");
        else cabecalhoLista(c, {"Chave", "Inscrição", "Razão Social", "CNPJ", "Município", "Tipo", "Email", "Responsável"});
        for (const auto& l : linhas)
            c.out << l.c.CONTRIBUINTE_ID << '\t' << campoLista(l.c.INSCESTADUAL) << '\t' << campoLista(l.c.RAZAOSOCIAL)
                  << '\t' << campoLista(l.c.CNPJ) << '\t' << campoLista(l.DESCRICAO_MUNICIPIO) << '\t'
                  << campoLista(l.TITULO_TIPO) << '\t' << campoLista(l.c.EMAIL) << '\t'
                  << opcional(l.c.RESPONSAVEL_ID) << "\n";
    } else {
        const auto linhas = ListarResponsaveis(dm.MainConnection);
        if (linhas.empty()) listaVazia(c, "Nenhum responsável cadastrado.");
        else cabecalhoLista(c, {"Chave", "Nome", "DDD", "Telefone", "Email"});
        for (const auto& r : linhas)
            c.out << r.RESPONSAVEL_ID << '\t' << campoLista(r.NOME) << '\t' << campoLista(r.DDD) << '\t'
                  << campoLista(r.TELEFONE) << '\t' << campoLista(r.EMAIL) << "\n";
    }
    return 0;
}

// Ctrl-C ou SIGTERM param a importação depois da linha em andamento; as linhas já gravadas
// ficam, e a saída é 128 + o número do sinal, como a de um programa encerrado por ele.
int importar(PlanilhaCadastro& planilha, Tdm& dm, InteracaoCli& ui, Contexto& c) {
    ParadaPorSinal parada;
    const PedidoParada parar = [&parada] { return parada.pedida(); };
    try {
        const auto r = planilha.tipo() == TipoCadastro::Contribuintes
                           ? ImportarContribuintes(dm.MainConnection, planilha, ui, parar)
                           : ImportarResponsaveis(dm.MainConnection, planilha, ui, parar);
        c.out << ResumoImportacao(r) << "\n";
        if (r.interrompida) {
            c.err << MensagemInterrupcao(r) << "\n";
            return 128 + parada.sinal();
        }
        return r.recusados > 0 ? 1 : 0;
    } catch (const ErroImportacao& e) {
        c.err << InteracaoCli::paraTerminal(e.what()) << "\n";
        c.out << ResumoImportacao(e.resultado) << "\n";
        return 1;
    }
}

int importarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.size() != 1) return usoIncorreto(v, c);
    std::optional<PlanilhaCadastro> planilha;
    // O arquivo e o cabeçalho são conferidos antes de abrir a base
    try {
        planilha.emplace(AbrirPlanilha(a[0], tipoDe(v)));
    } catch (const ErroArquivoCSV& e) {
        c.err << e.what() << "\n";
        return USO_INCORRETO;
    }
    // Até o tratador da importação ser instalado, um sinal espera: o do servidor embutido
    // derrubaria a conexão e cada linha seguinte falharia
    BloquearSinaisEncerramento();
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    return importar(*planilha, dm, ui, c);
}

const char* const FORMATO_PLANILHA =
    "Arquivo: primeira linha com os nomes das colunas (qualquer ordem, maiúsculas ou\n"
    "minúsculas); campos separados por \";\"; um campo entre aspas duplas pode conter \";\" e\n"
    "quebras de linha (\"\" é uma aspa); texto em UTF-8 ou Windows-1252. Nos campos de\n"
    "inscrição, CNPJ, CEP, CNAE, DDD e telefone, os caracteres . - / ( ) e os brancos são\n"
    "retirados. Cada linha passa pelas verificações da tela e é gravada inteira ou recusada;\n"
    "as recusadas vão para stderr como \"Linha N: <mensagem>\" e o resumo para stdout.\n"
    "Ctrl-C (ou SIGTERM) para a importação depois da linha em andamento: as lidas até ali\n"
    "ficam gravadas; importe o arquivo de novo para continuar (as já gravadas são recusadas\n"
    "como repetidas).\n"
    "Saída 0 sem recusas, 1 com alguma recusa, 2 para arquivo ausente ou cabeçalho que não serve,\n"
    "130 ou 143 quando interrompida por Ctrl-C ou SIGTERM.\n";

}  // namespace

void verbosCadastros(std::vector<Verbo>& v) {
    v.push_back({"contribuintes", "listar", "",
                 "Lista os contribuintes, um por linha.\n"
                 "Em ordem de inscrição estadual, campos separados por tabulação: chave, inscrição, razão social, CNPJ, município, tipo, email e código\n"
                 "do responsável.",
                 listarVerbo});
    v.push_back({"contribuintes", "importar", "ARQUIVO.csv",
                 std::string("Cadastra os contribuintes de uma planilha CSV. Cadastre antes os responsáveis.\n\n") +
                     FORMATO_PLANILHA +
                     "\nColunas (* obrigatórias no cabeçalho):\n"
                     "  INSCESTADUAL*         inscrição estadual, 13 dígitos\n"
                     "  RAZAOSOCIAL*          razão social (até 60 caracteres)\n"
                     "  CNPJ*                 14 dígitos\n"
                     "  EMAIL*                email (até 50 caracteres)\n"
                     "  TIPOCONTRIBUINTE_ID*  código do tipo (0, 1, 3) ou o seu título\n"
                     "  RESPONSAVEL*          nome do responsável cadastrado ou o seu código (também\n"
                     "                        RESPONSAVEL_ID); vazio é \"Não atribuído\", que é recusado\n"
                     "  CNAEF_ID*             CNAE-F de 7 dígitos (4711-3/01); com 9 dígitos e sem\n"
                     "                        DESMEMBRAMENTO, os dois últimos são o desmembramento\n"
                     "  DESMEMBRAMENTO        2 dígitos; vazio vale 00\n"
                     "  CODDRUMUNICIPIO*      código do município ou o seu nome (kov-cli municipios listar)\n"
                     "  CEP*                  8 dígitos\n"
                     "  ENDERECO, NUMERO, COMPLEMENTO, BAIRRO     até 50, 5, 20 e 30 caracteres\n"
                     "  CAIXAPOSTAL, AGENCIAPOSTAL                até 7 e 3 caracteres\n"
                     "  DDD, TELEFONE         até 3 dígitos; 7 a 12 caracteres\n",
                 importarVerbo});
    v.push_back({"responsaveis", "listar", "",
                 "Lista os responsáveis, um por linha.\n"
                 "Em ordem de nome (sem o \"Não atribuído\"), campos separados por tabulação: chave, nome, DDD, telefone e email.",
                 listarVerbo});
    v.push_back({"responsaveis", "importar", "ARQUIVO.csv",
                 std::string("Cadastra os responsáveis de uma planilha CSV.\n\n") + FORMATO_PLANILHA +
                     "\nColunas, todas obrigatórias:\n"
                     "  NOME       nome (até 40 caracteres); um nome já cadastrado, ou repetido no arquivo,\n"
                     "             é recusado (a planilha de contribuintes encontra o responsável pelo nome)\n"
                     "  DDD        2 ou 3 dígitos\n"
                     "  TELEFONE   8 dígitos\n"
                     "  EMAIL      endereço com @ e . (até 50 caracteres)\n",
                 importarVerbo});
}

}  // namespace kov::cli
