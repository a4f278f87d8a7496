// Verbos que fazem o que o editor da declaração faz: criar, alterar, mostrar e excluir.
// A declaração passa pelas mesmas regras da tela (contribuinte com responsável, regimes do
// ano base, troca de grupo de regime, apuração, recusas da gravação) e é gravada e
// consistida como a gravação do editor.
#include <algorithm>
#include <cctype>
#include <optional>

#include "cli/Comum.h"
#include "data/AnoAnterior.h"
#include "data/Cadastros.h"
#include "data/Consistencia.h"
#include "data/Parametros.h"
#include "data/RegrasCabecalho.h"
#include "data/RegrasDeclaracao.h"
#include "data/RegrasFiguras.h"
#include "data/Figuras.h"
#include "data/dmPrincipal.h"
#include "data/fb/Conexao.h"
#include "data/untUtils.h"

namespace kov::cli {

namespace {

// O que a linha de comando pede para o cabeçalho e as figuras.
struct Pedido {
    std::string ie;
    std::optional<int> regime, mesInicial, mesFinal, municipio, apuracao;
    std::optional<std::string> escrita, substituicao, baixa;
    std::vector<std::pair<std::string, Quantia>> valores;
    bool vazio() const {
        return !regime && !mesInicial && !mesFinal && !municipio && !apuracao && !escrita && !substituicao && !baixa &&
               valores.empty();
    }
};

const char* const AJUDA_CABECALHO =
    "OPÇÕES do cabeçalho e das figuras:\n"
    "  --regime N            regime de recolhimento (os oferecidos no ano base: kov-cli referencias regimes)\n"
    "  --mes-inicial M       mês inicial do período (1 a 12)\n"
    "  --mes-final M         mês final do período (1 a 12)\n"
    "  --municipio COD       município de localização no ano de apuração (código DRU)\n"
    "  --apuracao real|presumida   só nos regimes sem débito e crédito (5 e 6); sem ela, Presumida\n"
    "  --escrita-contabil S|N, --substituicao S|N, --baixa S|N\n"
    "  --valor TABELA.COLUNA=VALOR   valor de uma figura, por exemplo ESTOQUE.INITRIBUTADOS=1500,\n"
    "                        SAIDA.VCESTADO=2000 ou DETALHAMENTOES.1.VCCOMPRAVENDA=300 (tipo de\n"
    "                        operação 1 a 6); os totais são calculados na gravação. Valores negativos\n"
    "                        só em DEMOSTRACAORESULTADOOPERACIONAL.CORRECAOMONETARIA.\n"
    "A gravação recusa, com as mensagens do editor, o que o editor recusa (ano corrente sem baixa,\n"
    "período em conflito, mês inicial maior que o final, contribuinte sem CNPJ, exclusões acima dos\n"
    "serviços prestados); gravada, a declaração é consistida e a linha da consistência é mostrada\n"
    "(chave, inscrição, razão social, Consistente ou Inconsistente, com os erros). Saída 1 quando a\n"
    "gravação foi recusada; uma declaração gravada e inconsistente sai com 0.";

std::string v_(const Quantia& q) { return q ? q->textoDecimal() : std::string(); }

// A inscrição sem a máscara: só os dígitos e as letras.
std::string semMascara(const std::string& ie) {
    std::string s;
    for (unsigned char ch : ie)
        if (std::isalnum(ch)) s += static_cast<char>(std::toupper(ch));
    return s;
}

bool simNao(const std::string& s, std::optional<std::string>& destino) {
    if (s != "S" && s != "N") return false;
    destino = s;
    return true;
}

bool mes(const std::string& s, std::optional<int>& destino) {
    int n = 0;
    if (!inteiroPositivo(s, n) || n > 12) return false;
    destino = n;
    return true;
}

// Lê as opções a partir de 'inicio'; o texto do erro de uso quando algo não serve.
std::string lerPedido(const std::vector<std::string>& a, size_t inicio, Pedido& p) {
    for (size_t i = inicio; i < a.size(); ++i) {
        const std::string& op = a[i];
        if (i + 1 >= a.size()) return "Opção sem valor ou argumento a mais: " + op;
        const std::string& x = a[++i];
        int n = 0;
        if (op == "--regime") {
            if (!inteiroPositivo(x, n)) return "Regime inválido: " + x;
            p.regime = n;
        } else if (op == "--mes-inicial") {
            if (!mes(x, p.mesInicial)) return "Mês inválido: " + x;
        } else if (op == "--mes-final") {
            if (!mes(x, p.mesFinal)) return "Mês inválido: " + x;
        } else if (op == "--municipio") {
            if (!inteiroPositivo(x, n)) return "Município inválido: " + x;
            p.municipio = n;
        } else if (op == "--apuracao") {
            if (x == "real") p.apuracao = 1;
            else if (x == "presumida") p.apuracao = 2;
            else return "Apuração inválida (real ou presumida): " + x;
        } else if (op == "--escrita-contabil") {
            if (!simNao(x, p.escrita)) return "Escrita contábil deve ser S ou N: " + x;
        } else if (op == "--substituicao") {
            if (!simNao(x, p.substituicao)) return "Substituição deve ser S ou N: " + x;
        } else if (op == "--baixa") {
            if (!simNao(x, p.baixa)) return "Baixa deve ser S ou N: " + x;
        } else if (op == "--valor") {
            const size_t igual = x.find('=');
            if (igual == std::string::npos) return "Valor sem '=': " + x;
            const std::string nome = MaiusculasUtf8(x.substr(0, igual)), texto = Aparar(x.substr(igual + 1));
            Quantia q;
            try {
                q = Dinheiro::deTexto(texto.empty() ? "0" : texto);
            } catch (const std::exception&) {
                return "Valor inválido: " + x;
            }
            if (q->centavos() < 0 && nome != "DEMOSTRACAORESULTADOOPERACIONAL.CORRECAOMONETARIA")
                return "Valor negativo só em DEMOSTRACAORESULTADOOPERACIONAL.CORRECAOMONETARIA: " + x;
            p.valores.emplace_back(nome, q);
        } else {
            return "Opção desconhecida: " + op;
        }
    }
    return {};
}

// Aplica o pedido à declaração como o editor aplica as escolhas; falso (com a razão em
// stderr) quando o pedido não pode valer.
bool aplicarPedido(Tdm& dm, Contexto& c, Declaracao& d, const Pedido& p, int anoBase) {
    if (p.regime) {
        const auto oferecidos = RegimesDoAnoBase(dm.ref.cdsRegime, anoBase);
        if (std::none_of(oferecidos.begin(), oferecidos.end(),
                         [&](const LinhaRegime& r) { return r.REGIME_ID == *p.regime; })) {
            c.err << "O regime " << *p.regime << " não é oferecido no ano base " << anoBase << ".\n";
            return false;
        }
        if (TrocaDeRegimeApagaFiguras(d.doc.REGIME_ID, *p.regime)) {
            ApagarFiguras(d);
            if (!d.nova()) c.err << "A troca de grupo de regime apagou as figuras da declaração.\n";
        }
        d.doc.REGIME_ID = *p.regime;
    }
    const EstadoApuracao e = ApuracaoDoRegime(d.doc.REGIME_ID, d.doc.TIPORECOLHIMENTO_ID);
    if (p.apuracao && !e.habilitada) {
        c.err << "O regime " << d.doc.REGIME_ID.value_or(0) << " não tem apuração.\n";
        return false;
    }
    if (!e.habilitada) d.doc.TIPORECOLHIMENTO_ID = 0;
    else if (p.apuracao) d.doc.TIPORECOLHIMENTO_ID = *p.apuracao;
    else if (e.escrever) d.doc.TIPORECOLHIMENTO_ID = *e.escolha;
    if (p.mesInicial) d.doc.MESINICIAL = *p.mesInicial;
    if (p.mesFinal) d.doc.MESFINAL = *p.mesFinal;
    if (p.municipio) {
        const auto& ms = dm.ref.cdsMunicipio;
        if (std::none_of(ms.begin(), ms.end(), [&](const LinhaMunicipio& m) { return m.CODDRUMUNICIPIO == *p.municipio; })) {
            c.err << "Município não encontrado: " << *p.municipio << ".\n";
            return false;
        }
        d.doc.CODDRUMUNICIPIO = *p.municipio;
    }
    if (p.escrita) d.doc.ESCRITACONTABIL = *p.escrita;
    if (p.substituicao) d.doc.SUBSTITUICAO = *p.substituicao;
    if (p.baixa) {
        if (*p.baixa == "S" && d.doc.MUDANCAMUNICIPIO == "S") {
            c.err << MensagemBaixaComMudanca("Baixa Referente Ano Corrente", "Mudança de Município no Ano Base") << "\n";
            return false;
        }
        d.doc.BAIXA = *p.baixa;
    }
    for (const auto& [nome, valor] : p.valores)
        if (!DefinirValorPorNome(d, nome, valor)) {
            c.err << "Coluna de valor desconhecida: " << nome << ".\n";
            return false;
        }
    // As regras das páginas das figuras e das telas do detalhamento: as conferências de cada
    // linha do detalhamento e dos produtos agropecuários, as figuras travadas zeradas (com os
    // totais do detalhamento refeitos nos regimes de débito/crédito) e a GI indisponível apagada
    for (const auto& l : d.detalhamentoES)
        if (const auto recusa = ConferirDetalhamentoES(l)) {
            c.err << "Tipo de operação " << l.TIPOOPERACAO_ID << ": " << recusa->mensagem << "\n";
            return false;
        }
    if (d.entrada && d.detalhamento(1) && ProdutosAgropAcimaDoSubtotal(*d.entrada, *d.detalhamento(1))) {
        c.err << MSG_PRODUTOS_AGROP << "\n";
        return false;
    }
    ZerarFigurasTravadas(d);
    if (!GIDisponivel(d.doc) && (!d.giEntrada.empty() || !d.giSaidas.empty())) {
        ApagarGI(d);
        c.err << MSG_GI_INDISPONIVEL << ": as linhas da GI foram apagadas.\n";
    }
    return true;
}

// As recusas, a gravação e a consistência da gravação do editor.
int gravarComoEditor(Tdm& dm, InteracaoCli& ui, Contexto& c, Declaracao& d, const std::string& anoExercicio) {
    const int anoBase = AnoComoInteiro(anoExercicio), anoCorrente = AnoAtual();
    if (!d.doc.CODDRUMUNICIPIO) {
        c.err << "Município não informado (--municipio COD).\n";
        return 1;
    }
    if (!ConferirAntesDeGravar(dm.MainConnection, d, anoBase, anoCorrente, ui)) return 1;
    const Contribuinte contribuinte = CarregarContribuinte(dm.MainConnection, d.doc.CONTRIBUINTE_ID.value_or(0));
    dm.Consistencias.esvaziar();
    const int status = SalvarEConsistir(dm, d, contribuinte, anoCorrente, anoExercicio, dm.Consistencias);
    const int chave = d.doc.DOCUMENTO_ID;
    mostrarConsistencia(c, dm, dm.Consistencias, chave, status, 0);
    return 0;
}

// Executa 'f' com o módulo aberto; erros do núcleo viram a mensagem e a saída 1.
template <class F>
int comModulo(Contexto& c, F f) {
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    try {
        return f(dm, ui);
    } catch (const Abortar&) {
        return 1;  // a razão já foi dita
    } catch (const std::exception& e) {
        ui.erro(e.what());
        return 1;
    }
}

int criarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.empty() || a[0].rfind("--", 0) == 0) return usoIncorreto(v, c, "Inscrição estadual não informada.");
    Pedido p;
    p.ie = a[0];
    if (const std::string erro = lerPedido(a, 1, p); !erro.empty()) return usoIncorreto(v, c, erro);
    return comModulo(c, [&](Tdm& dm, InteracaoCli& ui) {
        std::string ano;
        if (!anoBaseGravado(dm, c, ano)) return 1;
        const std::string digitos = semMascara(p.ie);
        std::optional<Contribuinte> ct;
        for (const auto& l : ListarContribuintes(dm.MainConnection))
            if (semMascara(l.c.INSCESTADUAL) == digitos && !digitos.empty()) ct = l.c;
        if (!ct) {
            c.err << "Contribuinte não cadastrado: " << p.ie << ".\n";
            return 1;
        }
        Declaracao d = NovaDeclaracao(ano);
        CopiarCadastroContribuinte(d, *ct);  // recusa o contribuinte sem responsável
        d.doc.MESINICIAL = 1;
        d.doc.MESFINAL = 12;
        if (!aplicarPedido(dm, c, d, p, AnoComoInteiro(ano))) return 1;
        return gravarComoEditor(dm, ui, c, d, ano);
    });
}

int alterarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    int chave = 0;
    if (a.empty() || !inteiroPositivo(a[0], chave)) return usoIncorreto(v, c, "Chave da declaração não informada.");
    Pedido p;
    if (const std::string erro = lerPedido(a, 1, p); !erro.empty()) return usoIncorreto(v, c, erro);
    if (p.vazio()) return usoIncorreto(v, c, "Nada a alterar.");
    return comModulo(c, [&](Tdm& dm, InteracaoCli& ui) {
        std::string ano;
        if (!anoBaseGravado(dm, c, ano)) return 1;
        Declaracao d = CarregarDeclaracao(dm.MainConnection, chave);
        if (!aplicarPedido(dm, c, d, p, AnoComoInteiro(ano))) return 1;
        return gravarComoEditor(dm, ui, c, d, ano);
    });
}

int mostrarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    int chave = 0;
    if (a.size() != 1 || !inteiroPositivo(a[0], chave)) return usoIncorreto(v, c);
    return comModulo(c, [&](Tdm& dm, InteracaoCli&) {
        const Declaracao d = CarregarDeclaracao(dm.MainConnection, chave);
        const Documento& doc = d.doc;
        auto inteiro = [](const std::optional<int>& x) { return x ? std::to_string(*x) : std::string(); };
        const std::vector<std::pair<std::string, std::string>> cabecalho = {
            {"DOCUMENTO_ID", std::to_string(doc.DOCUMENTO_ID)},
            {"INSCESTADUAL", d.IE_CONTRIBUINTE},
            {"RAZAOSOCIAL", d.NOME_CONTRIBUINTE},
            {"PERIODO", inteiro(doc.PERIODO)},
            {"MESINICIAL", inteiro(doc.MESINICIAL)},
            {"MESFINAL", inteiro(doc.MESFINAL)},
            {"REGIME_ID", inteiro(doc.REGIME_ID)},
            {"TIPORECOLHIMENTO_ID", inteiro(doc.TIPORECOLHIMENTO_ID)},
            {"TIPOCONTRIBUINTE_ID", inteiro(doc.TIPOCONTRIBUINTE_ID)},
            {"CNAEF_ID", doc.CNAEF_ID},
            {"DESMEMBRAMENTO", doc.DESMEMBRAMENTO},
            {"CODDRUMUNICIPIO", inteiro(doc.CODDRUMUNICIPIO)},
            {"ESCRITACONTABIL", doc.ESCRITACONTABIL},
            {"SUBSTITUICAO", doc.SUBSTITUICAO},
            {"BAIXA", doc.BAIXA},
            {"MUDANCAMUNICIPIO", doc.MUDANCAMUNICIPIO},
            {"STATUS_ID", inteiro(doc.STATUS_ID)},
            {"SITUACAO", d.SITUACAO},
        };
        for (const auto& [nome, valor] : cabecalho) c.out << "DOCUMENTO." << nome << '\t' << campoLista(valor) << "\n";
        for (const auto& [nome, valor] : ValoresPorNome(d)) c.out << nome << '\t' << valor << "\n";
        for (const auto& l : d.giEntrada)
            c.out << "GIENTRADA." << l.UF_ID << '\t' << v_(l.VALORCONTABIL) << '\t' << v_(l.BASECALCULO) << '\t'
                  << v_(l.OUTRASENTRADAS) << '\t' << v_(l.STPETROLEO) << '\t' << v_(l.STOUTROS) << "\n";
        for (const auto& l : d.giSaidas)
            c.out << "GISAIDAS." << l.UF_ID << '\t' << v_(l.VALORCONTABILCONT) << '\t' << v_(l.VALORCONTABILNAOCONT)
                  << '\t' << v_(l.BASECALCULOCONT) << '\t' << v_(l.BASECALCULONAOCONT) << '\t' << v_(l.OUTRASSAIDAS)
                  << '\t' << v_(l.SUBSTTRIBUTARIA) << "\n";
        for (const auto& l : d.detalhamentoEntrada)
            c.out << "DETALHAMENTOENTRADA." << l.CODDRUMUNICIPIO << '\t' << v_(l.VALOR) << '\t' << l.MUDANCAMUNICIPIO
                  << '\t' << v_(l.VALORMUDANCA) << "\n";
        return 0;
    });
}

int excluirVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    std::vector<int> chaves;
    for (const auto& x : a) {
        int n = 0;
        if (!inteiroPositivo(x, n)) return usoIncorreto(v, c, "Chave de declaração inválida: " + x);
        chaves.push_back(n);
    }
    if (chaves.empty()) return usoIncorreto(v, c);
    return comModulo(c, [&](Tdm& dm, InteracaoCli& ui) {
        size_t falhas = 0;
        for (int chave : chaves) {
            try {
                CarregarDeclaracao(dm.MainConnection, chave);  // a chave que não existe é dita
                ExcluirDeclaracao(dm.MainConnection, chave);
                c.out << chave << "\texcluída\n";
            } catch (const std::exception& e) {
                ui.erro("Declaração " + std::to_string(chave) + " não excluída: " + e.what());
                ++falhas;
            }
        }
        return falhas > 0 ? 1 : 0;
    });
}

// Declarações do ano base a partir das do ano anterior, uma linha por contribuinte.
int trazerVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    const bool todos = a.size() == 1 && a[0] == "--todos";
    if (a.empty() || (!todos && std::any_of(a.begin(), a.end(), [](const std::string& x) { return x.rfind("--", 0) == 0; })))
        return usoIncorreto(v, c);
    return comModulo(c, [&](Tdm& dm, InteracaoCli&) {
        std::string ano;
        if (!anoBaseGravado(dm, c, ano)) return 1;
        std::vector<int> ids;
        size_t puladas = 0, falhas = 0;
        if (todos) {
            for (const auto& x : CandidatosDoAnoAnterior(dm)) ids.push_back(x.CONTRIBUINTE_ID);
            if (ids.empty()) {
                c.out << "Nenhum contribuinte com declaração em " << AnoComoInteiro(ano) - 1
                      << " e sem declaração no ano base " << ano << ".\n";
                return 0;
            }
        } else {
            const auto cadastro = ListarContribuintes(dm.MainConnection);
            for (const auto& ie : a) {
                auto it = std::find_if(cadastro.begin(), cadastro.end(), [&](const LinhaListaContribuinte& l) {
                    return !semMascara(ie).empty() && semMascara(l.c.INSCESTADUAL) == semMascara(ie);
                });
                if (it != cadastro.end()) {
                    ids.push_back(it->c.CONTRIBUINTE_ID);
                    continue;
                }
                c.out << campoLista(ie) << "\t\tpulada\tContribuinte não cadastrado.\n";
                ++puladas;
                ++falhas;
            }
        }
        const bool terminal = c.terminal;
        const auto resultados = TrazerDoAnoAnterior(dm, ids, [&](size_t feitos, size_t total) {
            if (terminal && total > 1) c.err << "\r" << feitos << " de " << total << (feitos == total ? "\n" : "") << std::flush;
        });
        size_t criadas = 0;
        for (const auto& r : resultados) {
            c.out << campoLista(r.INSCESTADUAL) << '\t' << campoLista(r.RAZAOSOCIAL) << '\t';
            if (r.chave) {
                c.out << "criada\t" << *r.chave << '\t' << (r.consistente ? "Consistente" : "Inconsistente") << "\n";
                ++criadas;
            } else {
                c.out << "pulada\t" << campoLista(r.motivo) << "\n";
                ++puladas;
                if (!r.jaTinha) ++falhas;
            }
        }
        c.out << plural(criadas, "declaração criada", "declarações criadas") << ", "
              << plural(puladas, "pulada", "puladas") << ".\n";
        return falhas > 0 ? 1 : 0;
    });
}

}  // namespace

void verbosEdicaoDeclaracoes(std::vector<Verbo>& v) {
    v.push_back({"declaracoes", "criar", "IE [OPÇÕES]",
                 "Cria uma declaração do ano base para o contribuinte de inscrição IE, como o editor:\n"
                 "CNAE, desmembramento, tipo de contribuinte e município vêm do cadastro; meses 1 a 12 se\n"
                 "não informados. O contribuinte precisa ter responsável.\n" +
                     std::string(AJUDA_CABECALHO),
                 criarVerbo});
    v.push_back({"declaracoes", "alterar", "N [OPÇÕES]",
                 "Altera a declaração de chave N, como o editor, e grava.\n"
                 "A troca do regime entre os grupos débito/crédito (1, 2, 4) e simplificado (3, 5, 6)\n"
                 "apaga as figuras, como no editor.\n" +
                     std::string(AJUDA_CABECALHO),
                 alterarVerbo});
    v.push_back({"declaracoes", "mostrar", "N",
                 "Mostra a declaração de chave N: o cabeçalho (DOCUMENTO.COLUNA), os valores das seções\n"
                 "(TABELA.COLUNA e DETALHAMENTOES.TIPO.COLUNA, só os informados), as linhas da GI por UF e\n"
                 "as outras entradas por município, separados por tabulação.",
                 mostrarVerbo});
    v.push_back({"declaracoes", "trazer-ano-anterior", "--todos | INSCRICAO...",
                 "Cria as declarações do ano base a partir das do ano anterior: para cada contribuinte (com\n"
                 "--todos, os que têm declaração no ano anterior e nenhuma no ano base), uma declaração de\n"
                 "janeiro a dezembro com o regime, o município, a escrita contábil e a apuração da última\n"
                 "declaração do ano anterior (a de maior mês final), CNAE e tipo do cadastro de hoje, e o\n"
                 "estoque inicial igual ao estoque final dela; as outras figuras ficam vazias. Gravada e\n"
                 "consistida como no editor; as recusas das regras pulam o contribuinte com a mensagem.\n"
                 "Uma linha por contribuinte: inscrição, razão social, \"criada\" com a chave e a situação da\n"
                 "consistência, ou \"pulada\" com o motivo; um resumo no fim. Saída 1 quando algum foi pulado\n"
                 "por outro motivo que não o de já ter declaração no ano base.",
                 trazerVerbo});
    v.push_back({"declaracoes", "excluir", "N...",
                 "Exclui as declarações de chave N com todas as suas seções.\n"
                 "Uma linha por declaração excluída; saída 1 quando alguma não pôde ser excluída.",
                 excluirVerbo});
}

}  // namespace kov::cli
