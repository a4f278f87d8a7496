// Verbos das declarações: listar, consistir, gerar os arquivos, restaurá-los e o recibo em texto.
#include <algorithm>
#include <filesystem>
#include <map>

#include "cli/Comum.h"
#include "data/Consistencia.h"
#include "data/ReciboTexto.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "data/fb/Conexao.h"
#include "files/DocumentoXml.h"
#include "files/untGeraXmlKOV.h"
#include "files/untRestauraXmlKOV.h"

namespace kov::cli {

namespace {

int listarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.size() > 1) return usoIncorreto(v, c);
    int n = 0;
    if (a.size() == 1 && !inteiroPositivo(a[0], n)) return usoIncorreto(v, c, "Ano inválido: " + a[0]);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    std::string ano = a.size() == 1 ? a[0] : std::string();
    if (ano.empty() && !anoBaseGravado(dm, c, ano)) return 1;
    const auto linhas = ListarDeclaracoes(dm.MainConnection, ano);
    if (linhas.empty()) listaVazia(c, "Nenhuma declaração do ano " + ano + ".");
    else cabecalhoLista(c, {"Chave", "Inscrição", "Razão Social", "Exercício", "Mês Inicial", "Mês Final",
                            "Consistência", "Entrega"});
    for (const auto& d : linhas)
        c.out << d.DOCUMENTO_ID << '\t' << campoLista(d.INSCESTADUAL) << '\t' << campoLista(d.RAZAOSOCIAL) << '\t'
              << d.PERIODO << '\t' << NomeMes(d.MESINICIAL) << '\t' << NomeMes(d.MESFINAL) << '\t'
              << campoLista(d.DESCRICAO_STATUS) << '\t' << d.SITUACAO << "\n";
    return 0;
}

}  // namespace

void mostrarConsistencia(Contexto& c, const Tdm& dm, const ListasConsistencia& listas, int chave, int status,
                         size_t antes) {
    const auto& doc = listas.cdsDocumentosErros;
    auto linha = std::find_if(doc.begin(), doc.end(), [&](const LinhaDocumentoErros& l) { return l.Documento == chave; });
    c.out << chave << '\t' << (linha == doc.end() ? "" : campoLista(linha->IEContribuinte)) << '\t'
          << (linha == doc.end() ? "" : campoLista(linha->Contribuinte)) << '\t'
          << (status == STATUS_CONSISTENTE ? "Consistente" : "Inconsistente") << "\n";
    for (size_t i = antes; i < listas.cdsErros.size(); ++i) {
        const LinhaErro& e = listas.cdsErros[i];
        c.out << "  " << e.Erro << ' ' << campoLista(e.Mensagem) << "\n"
              << "    Onde corrigir: " << OndeCorrigir(DestinoDaCorrecao(e.Erro, dm.ref.cdsConsistencias)) << "\n";
    }
}

bool anoBaseGravado(Tdm& dm, Contexto& c, std::string& ano) {
    ano = dm.LerParametro("ANOEXERCICIO");
    int n = 0;
    if (inteiroPositivo(ano, n)) return true;
    c.err << "O ano base gravado na base não é um ano: \"" << campoLista(ano)
          << "\". Corrija-o com kov-cli parametro ANOEXERCICIO AAAA.\n";
    return false;
}

namespace {

// Consiste um lote de declarações: as listas de erros são esvaziadas no começo, como
// em todo lote novo; cada declaração sai com a sua situação e os seus erros.
int consistirVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    std::vector<int> chaves;
    std::string ano;
    const bool porChave = !a.empty() && a[0] == "--id";
    if (porChave) {
        for (size_t i = 1; i < a.size(); ++i) {
            if (a[i] == "--id") continue;
            int n = 0;
            if (!inteiroPositivo(a[i], n)) return usoIncorreto(v, c, "Chave de declaração inválida: " + a[i]);
            chaves.push_back(n);
        }
        if (chaves.empty()) return usoIncorreto(v, c);
    } else if (a.size() == 1) {
        int n = 0;
        if (!inteiroPositivo(a[0], n)) return usoIncorreto(v, c, "Ano inválido: " + a[0]);
        ano = a[0];
    } else if (a.size() > 1) {
        return usoIncorreto(v, c);
    }
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    if (!porChave) {
        if (ano.empty() && !anoBaseGravado(dm, c, ano)) return 1;
        for (const auto& d : ListarDeclaracoes(dm.MainConnection, ano)) chaves.push_back(d.DOCUMENTO_ID);
    }
    if (chaves.empty()) {
        c.out << "Nenhuma declaração para consistir.\n";
        return 0;
    }
    ListasConsistencia listas;
    listas.esvaziar();
    size_t consistentes = 0, inconsistentes = 0, falhas = 0;
    for (int chave : chaves) {
        int status = 0;
        const size_t antes = listas.cdsErros.size();  // mostra só os erros desta consistência
        try {
            status = ConsistirDocumento(dm, chave, listas);
        } catch (const Abortar&) {
            ++falhas;
            continue;
        } catch (const std::exception& e) {
            c.err << "Declaração " << chave << " não consistida: " << InteracaoCli::paraTerminal(e.what()) << "\n";
            ++falhas;
            continue;
        }
        mostrarConsistencia(c, dm, listas, chave, status, antes);
        (status == STATUS_CONSISTENTE ? consistentes : inconsistentes)++;
    }
    c.out << plural(consistentes + inconsistentes, "declaração consistida", "declarações consistidas") << ": "
          << plural(consistentes, "consistente", "consistentes") << ", "
          << plural(inconsistentes, "inconsistente", "inconsistentes");
    if (falhas > 0) c.out << ", " << plural(falhas, "não consistida", "não consistidas");
    c.out << ".\n";
    return inconsistentes > 0 || falhas > 0 ? 1 : 0;
}

// Escreve os arquivos das declarações pedidas na pasta, com os seus nomes do formato.
int gerarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    std::vector<int> chaves;
    std::string pasta;
    bool cifrar = false;
    for (size_t i = 0; i < a.size(); ++i) {
        int n = 0;
        if (a[i] == "--cifrar") cifrar = true;
        else if (a[i] == "--pasta" && i + 1 < a.size() && pasta.empty()) pasta = a[++i];
        else if (inteiroPositivo(a[i], n)) chaves.push_back(n);
        else return usoIncorreto(v, c, a[i] == "--pasta" ? "Pasta não informada." : "Argumento inválido: " + a[i]);
    }
    if (chaves.empty()) return usoIncorreto(v, c, "Nenhuma declaração informada.");
    if (pasta.empty()) return usoIncorreto(v, c, "Pasta não informada (--pasta PASTA).");
    if (!criarPasta(pasta, c)) return 1;
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    const ContextoArquivo ctx = ContextoArquivoDoModulo(dm);
    size_t falhas = 0;
    for (int chave : chaves) {
        try {
            const Declaracao d = CarregarDeclaracao(dm.MainConnection, chave);
            const std::string caminho = IncluirBarra(pasta) + NomeArquivoDeclaracao(d);
            GerarArquivoDeclaracao(d, ctx, caminho, cifrar);
            c.out << chave << '\t' << caminho << "\n";
        } catch (const Abortar&) {
            c.err << "Declaração " << chave << " não gerada.\n";  // a razão já foi mostrada
            ++falhas;
        } catch (const std::exception& e) {
            c.err << "Declaração " << chave << " não gerada: " << InteracaoCli::paraTerminal(e.what()) << "\n";
            ++falhas;
        }
    }
    return falhas > 0 ? 1 : 0;
}

// O recibo em texto da declaração: em UTF-8 no terminal, ou os bytes do recibo guardado
// (Windows-1252, linhas com CR LF) num arquivo.
int reciboVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    int chave = 0;
    std::string saida;
    if (std::find(a.begin(), a.end(), "--pdf") != a.end()) return reciboPdf(v, a, c);
    if (a.empty() || !inteiroPositivo(a[0], chave)) return usoIncorreto(v, c);
    if (a.size() == 3 && a[1] == "--saida") saida = a[2];
    else if (a.size() != 1) return usoIncorreto(v, c);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    const Declaracao d = CarregarDeclaracao(dm.MainConnection, chave);
    std::map<int, std::string> nomes;
    for (const auto& m : dm.ref.cdsMunicipio) nomes[m.CODDRUMUNICIPIO] = m.DESCRICAO;
    if (saida.empty()) {
        for (const auto& linha : LinhasReciboTexto(d, nomes)) c.out << campoLista(linha) << "\n";
        return 0;
    }
    GravarArquivoAtomico(saida, GerarReciboTexto(d, nomes));
    return 0;
}

// As mensagens da restauração de um arquivo, precedidas do seu caminho.
class InteracaoDoArquivo : public Interacao {
public:
    InteracaoDoArquivo(InteracaoCli& ui, const std::string& arquivo) : ui_(ui), prefixo_(arquivo + ": ") {}
    void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) override {
        ui_.mensagem(tipo, titulo, prefixo_ + texto);
    }
    bool pergunta(const std::string& titulo, const std::string& texto) override {
        return ui_.pergunta(titulo, prefixo_ + texto);
    }
    void erro(const std::string& texto) override { ui_.erro(prefixo_ + texto); }

private:
    InteracaoCli& ui_;
    std::string prefixo_;
};

// Restaura as declarações de arquivos gravados com cifra, um por vez, cada um na sua transação.
int importarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.empty()) return usoIncorreto(v, c);
    if (!arquivosExistem(a, c)) return USO_INCORRETO;
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    fb::ReusoDeComandos reuso(dm.MainConnection);  // os mesmos comandos em cada arquivo
    size_t falhas = 0;
    for (const auto& arq : a) {
        InteracaoDoArquivo uiArquivo(ui, arq);
        ContextoRestauracao ctx = ContextoRestauracaoDoModulo(dm);
        ContextoRestauracao doArquivo{ctx.conexao, uiArquivo, ctx.pastaPrograma, ctx.anoCorrente};
        std::optional<int> chave;
        try {
            chave = ImportarArquivoDeclaracao(doArquivo, arq);
        } catch (const std::exception& e) {
            uiArquivo.erro(e.what());  // a cópia de trabalho não pôde ser gravada, lida ou apagada
        }
        if (chave) c.out << arq << "\tok\t" << *chave << "\n";
        else ++falhas;
    }
    return falhas > 0 ? 1 : 0;
}

}  // namespace

void verbosDeclaracoes(std::vector<Verbo>& v) {
    v.push_back({"declaracoes", "listar", "[ANO]",
                 "Lista as declarações do ano base (ou do ANO), uma por linha.\n"
                 "Campos separados por tabulação: chave, inscrição, razão social, exercício, mês inicial, mês final,\n"
                 "situação da consistência e da entrega (T transmitida, D gravada, N não entregue).",
                 listarVerbo});
    v.push_back({"declaracoes", "consistir", "[ANO | --id N...]",
                 "Consiste as declarações e grava a situação de cada uma.\n"
                 "Consiste as do ano base (ou as do ANO, ou as de chave N).\n"
                 "Mostra cada uma (chave, inscrição, razão social, Consistente ou Inconsistente) com os\n"
                 "seus erros indentados, cada erro seguido de onde se corrige (\"Onde corrigir:\" a página,\n"
                 "a aba e o campo do editor da declaração, ou a tela de detalhamento, como na lista de\n"
                 "consistências), e um resumo. Saída 1 quando alguma tem erros.",
                 consistirVerbo});
    v.push_back({"declaracoes", "gerar", "N... --pasta PASTA [--cifrar]",
                 "Escreve os arquivos de declaração das chaves N na PASTA (criada se preciso).\n"
                 "Cada arquivo tem o nome do formato (KOV + inscrição + período + substituição + .xml);\n"
                 "com --cifrar o bloco de dados vai cifrado com a chave PublicKey.dat da pasta do programa.\n"
                 "Uma linha por arquivo escrito: chave e caminho. Declarações de regime simplificado são\n"
                 "recusadas. Saída 1 quando algum arquivo não foi escrito.",
                 gerarVerbo});
    v.push_back({"declaracoes", "importar", "ARQUIVO...",
                 "Restaura as declarações de arquivos gravados com cifra (entrega em pasta ou cópia de\n"
                 "declarações), decifrados com a chave PrivateKey.dat da pasta do programa.\n"
                 "Uma declaração do mesmo contribuinte, ano e meses é substituída e mantém a chave; uma nova\n"
                 "precisa ser do ano base. O contribuinte que não está cadastrado é criado sem CNPJ e sem\n"
                 "responsável, para completar no cadastro. Cada arquivo numa transação: o que falha não\n"
                 "deixa nada na base. Uma linha por arquivo restaurado: caminho, ok e chave da declaração;\n"
                 "as falhas vão para a saída de erros com o caminho e o motivo. Saída 1 quando algum falhou.",
                 importarVerbo});
    v.push_back({"declaracoes", "recibo", "N [--saida ARQUIVO | --pdf ARQ.pdf [--protocolo P]]",
                 "Mostra o recibo em texto da declaração N (em UTF-8).\n"
                 "Com --saida grava no ARQUIVO os bytes do recibo como são guardados na entrega:\n"
                 "Windows-1252, cada linha terminada por CR LF.\n"
                 "Com --pdf grava em PDF o recibo de transmissão da última entrega com protocolo (ou da de\n"
                 "protocolo P), como a tela imprime; uma linha na saída: chave, protocolo, páginas e caminho.\n"
                 "Sem entrega com protocolo: \"Não existe recibo para esta declaração!\".",
                 reciboVerbo});
}

}  // namespace kov::cli
