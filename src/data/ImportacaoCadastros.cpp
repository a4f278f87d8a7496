#include "data/ImportacaoCadastros.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "data/Cadastros.h"
#include "data/Codificacao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

namespace kov {

namespace fs = std::filesystem;

namespace {

struct DefinicaoColuna {
    const char* nome;
    bool obrigatoria;
};

// Colunas de cada planilha. DDD e TELEFONE do contribuinte são opcionais: vazios, a
// gravação segue como na resposta "Sim" da tela.
const std::vector<DefinicaoColuna> COLUNAS_CONTRIBUINTE = {
    {"INSCESTADUAL", true},   {"RAZAOSOCIAL", true},   {"CNPJ", true},          {"EMAIL", true},
    {"TIPOCONTRIBUINTE_ID", true}, {"RESPONSAVEL", true}, {"CNAEF_ID", true},   {"DESMEMBRAMENTO", false},
    {"CODDRUMUNICIPIO", true}, {"ENDERECO", false},    {"NUMERO", false},       {"COMPLEMENTO", false},
    {"BAIRRO", false},        {"CEP", true},           {"CAIXAPOSTAL", false},  {"AGENCIAPOSTAL", false},
    {"DDD", false},           {"TELEFONE", false},
};
const std::vector<DefinicaoColuna> COLUNAS_RESPONSAVEL = {
    {"NOME", true}, {"DDD", true}, {"TELEFONE", true}, {"EMAIL", true},
};

const std::vector<DefinicaoColuna>& colunasDe(TipoCadastro t) {
    return t == TipoCadastro::Contribuintes ? COLUNAS_CONTRIBUINTE : COLUNAS_RESPONSAVEL;
}

std::string maiusculasAscii(std::string s) {
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

bool vazio(const RegistroCSV& r) {
    for (const auto& c : r.campos)
        if (!Aparar(c).empty()) return false;
    return true;
}

// Planilhas costumam mostrar inscrição, CNPJ, CEP, CNAE e telefones formatados; a base
// guarda só os dígitos.
std::string semMascara(const std::string& s) {
    std::string r;
    for (char ch : s)
        if (ch != '.' && ch != '-' && ch != '/' && ch != '(' && ch != ')' && ch != ' ' && ch != '\t') r += ch;
    return r;
}

std::optional<int> numero(const std::string& s) {
    if (s.empty()) return std::nullopt;
    int v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || v < 0) return std::nullopt;
    return v;
}

// Interacao de uma linha: prefixa "Linha N: " e responde "Sim" às perguntas da tela,
// informando a resposta dada.
class InteracaoLinha : public Interacao {
public:
    explicit InteracaoLinha(Interacao& fora) : fora_(fora) {}
    int linha = 0;

    void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) override {
        fora_.mensagem(tipo, titulo, prefixo() + texto);
    }
    bool pergunta(const std::string& titulo, const std::string& texto) override {
        fora_.mensagem(TipoMensagem::Informacao, titulo, prefixo() + texto + " [Sim]");
        return true;
    }
    void erro(const std::string& texto) override { fora_.erro(prefixo() + texto); }
    void mostrarStatus(const std::string& texto) override { fora_.mostrarStatus(texto); }
    void limparStatus() override { fora_.limparStatus(); }

private:
    std::string prefixo() const { return "Linha " + std::to_string(linha) + ": "; }
    Interacao& fora_;
};

// Campo da coluna no registro, aparado; vazio quando a coluna não está no arquivo ou a
// linha tem menos campos.
std::string campo(const PlanilhaCadastro& p, const RegistroCSV& r, const std::string& nome) {
    auto it = p.colunas().find(nome);
    if (it == p.colunas().end() || it->second >= r.campos.size()) return {};
    return Aparar(r.campos[it->second]);
}

size_t numeroColunas(const PlanilhaCadastro& p) {
    size_t n = 0;
    for (const auto& [nome, i] : p.colunas()) n = std::max(n, i + 1);
    return n;
}

// Código pelo número ou pela descrição (sem distinguir maiúsculas); a descrição precisa
// ser única.
using Descricao = DescricaoCodigo;

struct Busca {
    const char* oQue;         // "município": para a mensagem de nome repetido
    const char* coluna;       // a coluna do código, sugerida quando o nome é ambíguo
    const char* naoAchado;    // início da mensagem quando nada confere
};
const Busca BUSCA_MUNICIPIO{"município", "CODDRUMUNICIPIO", "Município não encontrado: "};
const Busca BUSCA_TIPO{"tipo de contribuinte", "TIPOCONTRIBUINTE_ID", "Tipo de contribuinte não encontrado: "};
const Busca BUSCA_RESPONSAVEL{"responsável", "RESPONSAVEL_ID", "Responsável não encontrado: "};

int codigoPor(const std::string& valor, const std::vector<Descricao>& tabela, const Busca& b) {
    if (auto n = numero(valor)) return *n;
    const std::string chave = MaiusculasUtf8(valor);
    std::optional<int> achado;
    for (const auto& d : tabela) {
        if (MaiusculasUtf8(Aparar(d.texto)) != chave) continue;
        if (achado)
            throw LinhaRecusada(std::string("Há mais de um ") + b.oQue + " com o nome \"" + TextoVisivel(valor) +
                                "\"; informe o código (" + b.coluna + ").");
        achado = d.codigo;
    }
    if (!achado) throw LinhaRecusada(b.naoAchado + TextoVisivel(valor));
    return *achado;
}

std::vector<Descricao> lerTabela(fb::Conexao& c, const std::string& sql) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, sql);
    std::vector<Descricao> v;
    while (q.proximo()) v.push_back({static_cast<int>(q.coluna(0).inteiro()), q.coluna(1).texto()});
    tr.commit();
    return v;
}

std::vector<Descricao> responsaveisPorNome(fb::Conexao& c) {
    std::vector<Descricao> v;
    for (const auto& r : ListarResponsaveis(c)) v.push_back({r.RESPONSAVEL_ID, r.NOME});
    return v;
}

}  // namespace

void ConferirLinhaPlanilha(const PlanilhaCadastro& p, const RegistroCSV& r) {
    if (r.aspasAbertas) throw LinhaRecusada("Aspas abertas e não fechadas até o fim do arquivo.");
    if (r.longoDemais)
        throw LinhaRecusada("A linha tem mais de " + std::to_string(LIMITE_REGISTRO_CSV / 1024) +
                            " KB; confira se alguma aspa ficou sem par.");
    // Campos vazios a mais são aceitos: a exportação de tabelas termina cada linha em ";"
    for (size_t i = numeroColunas(p); i < r.campos.size(); ++i)
        if (!Aparar(r.campos[i]).empty()) throw LinhaRecusada("A linha tem mais campos que o cabeçalho.");
}

Contribuinte ContribuinteDaLinha(const PlanilhaCadastro& p, const RegistroCSV& r, const TabelasCadastro& tabelas) {
    const auto& municipios = tabelas.municipios;
    const auto& tipos = tabelas.tipos;
    const auto& responsaveis = tabelas.responsaveis;
    auto v = [&](const char* nome) { return campo(p, r, nome); };
    Contribuinte ct = NovoContribuinte();
    ct.INSCESTADUAL = semMascara(v("INSCESTADUAL"));
    ct.RAZAOSOCIAL = v("RAZAOSOCIAL");
    ct.CNPJ = semMascara(v("CNPJ"));
    ct.EMAIL = v("EMAIL");
    if (const auto t = v("TIPOCONTRIBUINTE_ID"); !t.empty())
        ct.TIPOCONTRIBUINTE_ID = codigoPor(t, tipos, BUSCA_TIPO);
    // Sem responsável fica o "Não atribuído" (0), que a gravação recusa com a mensagem da tela
    if (const auto resp = v("RESPONSAVEL"); !resp.empty())
        ct.RESPONSAVEL_ID = codigoPor(resp, responsaveis, BUSCA_RESPONSAVEL);
    ct.CNAEF_ID = semMascara(v("CNAEF_ID"));
    ct.DESMEMBRAMENTO = semMascara(v("DESMEMBRAMENTO"));
    // Código com o desmembramento junto (9 dígitos), como nos arquivos da declaração
    if (ct.DESMEMBRAMENTO.empty() && ct.CNAEF_ID.size() == 9) {
        ct.DESMEMBRAMENTO = ct.CNAEF_ID.substr(7);
        ct.CNAEF_ID.resize(7);
    }
    if (ct.DESMEMBRAMENTO.empty()) ct.DESMEMBRAMENTO = "00";
    if (ct.DESMEMBRAMENTO.size() == 1) ct.DESMEMBRAMENTO = "0" + ct.DESMEMBRAMENTO;  // 01 que virou 1
    if (const auto m = v("CODDRUMUNICIPIO"); !m.empty())
        ct.CODDRUMUNICIPIO = codigoPor(m, municipios, BUSCA_MUNICIPIO);
    ct.ENDERECO = v("ENDERECO");
    ct.NUMERO = v("NUMERO");
    ct.COMPLEMENTO = v("COMPLEMENTO");
    ct.BAIRRO = v("BAIRRO");
    ct.CEP = semMascara(v("CEP"));
    ct.CAIXAPOSTAL = v("CAIXAPOSTAL");
    ct.AGENCIAPOSTAL = v("AGENCIAPOSTAL");
    ct.DDD = semMascara(v("DDD"));
    ct.TELEFONE = semMascara(v("TELEFONE"));
    return ct;
}

namespace {


bool ascii(const std::string& s) {
    for (unsigned char ch : s)
        if (ch >= 0x80) return false;
    return true;
}

// Converte os campos do registro para UTF-8, decidindo pelo registro inteiro (os campos
// só com ASCII são iguais nas duas codificações).
void paraUtf8(RegistroCSV& r) {
    for (const auto& c : r.campos)
        if (!Utf8Valido(c)) {
            for (auto& d : r.campos)
                if (!ascii(d)) d = ConverterTexto(d, "WINDOWS-1252", "UTF-8");
            return;
        }
}

// Uma linha do arquivo gravada sob o ponto de salvamento, dentro do lote.
using GravarLinha = std::function<void(const RegistroCSV&, fb::Transacao&, Interacao&)>;
// Chamado no começo de cada lote, já com a trava dos cadastros tomada.
using IniciarLote = std::function<void(fb::Transacao&)>;

// Percorre a planilha gravando as linhas em lotes. A transação do lote toma a trava dos
// cadastros antes da primeira linha e a segura até confirmar: duas importações no mesmo
// servidor se revezam por lotes, e a procura de repetidos de cada uma vê tudo o que a
// outra confirmou.
ResultadoImportacao percorrer(fb::Conexao& c, PlanilhaCadastro& p, Interacao& ui, const PedidoParada& parar,
                              const IniciarLote& iniciarLote, const GravarLinha& gravar) {
    ResultadoImportacao res;
    res.ultimaLinha = p.linhaCabecalho();
    InteracaoLinha linhaUi(ui);
    fb::ReusoDeComandos reuso(c);  // as mesmas verificações e gravações, linha após linha
    fb::Transacao tr(c, false);
    int aceitasNoLote = 0, linhasNoLote = 0, inicioDoLote = 0;
    // A transação do lote não serve mais: o que ela tinha se perde, o já confirmado fica.
    auto falhaDaBase = [&](int linha, const std::exception& e) {
        std::string texto = "Importação interrompida na linha " + std::to_string(linha) +
                            " por falha na base de dados: " + e.what();
        if (aceitasNoLote > 0)
            texto += "\r\nAs linhas aceitas a partir da linha " + std::to_string(inicioDoLote) + " não foram gravadas.";
        tr.rollback();
        throw ErroImportacao(texto, res);
    };
    auto confirmar = [&] {
        if (!tr.ativa()) return;
        try {
            tr.commit();
        } catch (const std::exception& e) {
            falhaDaBase(res.ultimaLinha, e);
        }
        res.importados += aceitasNoLote;
        aceitasNoLote = linhasNoLote = 0;
    };
    RegistroCSV r;
    for (;;) {
        if (parar && parar()) {
            res.interrompida = true;
            break;
        }
        if (!p.proximo(r)) break;
        linhaUi.linha = r.linha;
        if (!tr.ativa()) {
            try {
                tr.iniciar();
                TravarCadastros(tr);
                if (iniciarLote) iniciarLote(tr);
            } catch (const std::exception& e) {
                falhaDaBase(r.linha, e);
            }
            inicioDoLote = r.linha;
        }
        std::optional<fb::PontoSalvamento> ponto;
        try {
            ponto.emplace(tr, "LINHA");
        } catch (const std::exception& e) {
            falhaDaBase(r.linha, e);
        }
        bool aceita = false;
        std::string recusa;  // vazia quando a mensagem já foi mostrada pela verificação
        try {
            ConferirLinhaPlanilha(p, r);
            gravar(r, tr, linhaUi);
            aceita = true;
        } catch (const LinhaRecusada& e) {
            recusa = e.what();
        } catch (const Abortar&) {
        } catch (const std::exception& e) {
            recusa = e.what();
        }
        try {
            if (aceita) ponto->liberar();
            else ponto->desfazer();
        } catch (const std::exception& e) {
            // A base não desfaz nem mantém a linha: a transação não serve mais, e a
            // mensagem da linha seria só um efeito disso
            falhaDaBase(r.linha, e);
        }
        if (!recusa.empty()) linhaUi.erro(recusa);
        (aceita ? aceitasNoLote : res.recusados)++;
        res.ultimaLinha = r.linhaFinal;
        if (++linhasNoLote >= LINHAS_POR_LOTE) confirmar();
    }
    confirmar();
    return res;
}

}  // namespace

// --- Leitura do arquivo -------------------------------------------------------------------

LeitorCSV::LeitorCSV(std::unique_ptr<std::istream> entrada) : in_(std::move(entrada)), buf_(64 * 1024) {
    // BOM de UTF-8 no começo do arquivo
    if (espiar() == 0xEF && fim_ - pos_ >= 3 && static_cast<unsigned char>(buf_[pos_ + 1]) == 0xBB &&
        static_cast<unsigned char>(buf_[pos_ + 2]) == 0xBF)
        pos_ += 3;
}

int LeitorCSV::espiar() {
    if (pos_ == fim_) {
        if (!in_ || !*in_) return -1;
        in_->read(buf_.data(), static_cast<std::streamsize>(buf_.size()));
        fim_ = static_cast<size_t>(in_->gcount());
        pos_ = 0;
        if (in_->bad()) throw ErroArquivoCSV("Falha ao ler o arquivo na linha " + std::to_string(linha_) + ".");
        if (fim_ == 0) return -1;
    }
    return static_cast<unsigned char>(buf_[pos_]);
}

int LeitorCSV::lerByte() {
    const int ch = espiar();
    if (ch >= 0) ++pos_;
    return ch;
}

bool LeitorCSV::proximo(RegistroCSV& r) {
    r.campos.clear();
    r.aspasAbertas = r.longoDemais = false;
    r.linha = r.linhaFinal = linha_;
    std::string valor;
    bool entreAspas = false, pendente = false;
    bool emBranco = true;  // o campo até aqui só tem brancos: uma aspa abre um campo entre aspas
    size_t bytes = 0;
    auto acrescentar = [&](int ch) {
        if (!r.longoDemais) valor += static_cast<char>(ch);
        if (ch > ' ') emBranco = false;
    };
    auto fecharCampo = [&] {
        if (!r.longoDemais) r.campos.push_back(std::move(valor));
        valor.clear();
        emBranco = true;
    };
    for (;;) {
        const int ch = lerByte();
        if (ch < 0) {
            r.aspasAbertas = entreAspas;
            r.linhaFinal = linha_;
            if (!pendente && valor.empty() && !entreAspas && !r.longoDemais) return false;
            fecharCampo();
            break;
        }
        if (++bytes > LIMITE_REGISTRO_CSV && !r.longoDemais) {
            // Daqui em diante só se procura o fim do registro, sem guardar nada
            r.longoDemais = true;
            r.campos.clear();
            r.campos.shrink_to_fit();
            valor.clear();
            valor.shrink_to_fit();
        }
        if (entreAspas) {
            if (ch == '"') {
                if (espiar() == '"') {
                    lerByte();
                    acrescentar('"');
                } else {
                    entreAspas = false;
                }
            } else {
                if (ch == '\n' || (ch == '\r' && espiar() != '\n')) ++linha_;
                acrescentar(ch);
            }
            continue;
        }
        if (ch == '"' && emBranco) {
            entreAspas = true;
            valor.clear();
            pendente = true;
        } else if (ch == ';') {
            fecharCampo();
            pendente = true;
        } else if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && espiar() == '\n') lerByte();
            r.linhaFinal = linha_++;
            fecharCampo();
            break;
        } else {
            acrescentar(ch);
            pendente = true;
        }
    }
    paraUtf8(r);
    return true;
}

// --- Planilha -------------------------------------------------------------------------------

PlanilhaCadastro::PlanilhaCadastro(std::unique_ptr<std::istream> entrada, TipoCadastro tipo)
    : leitor_(std::move(entrada)), tipo_(tipo) {
    lerCabecalho();
}

void PlanilhaCadastro::lerCabecalho() {
    RegistroCSV cab;
    bool achou = false;
    while ((achou = leitor_.proximo(cab)) && vazio(cab) && !cab.aspasAbertas && !cab.longoDemais) {
    }
    if (!achou) throw ErroArquivoCSV("O arquivo não tem a linha de cabeçalho com os nomes das colunas.");
    if (cab.aspasAbertas) throw ErroArquivoCSV("Cabeçalho com aspas abertas e não fechadas.");
    if (cab.longoDemais)
        throw ErroArquivoCSV("A linha de cabeçalho tem mais de " + std::to_string(LIMITE_REGISTRO_CSV / 1024) +
                             " KB: o arquivo não é uma planilha de cadastro.");
    linhaCabecalho_ = cab.linhaFinal;
    const auto& conhecidas = colunasDe(tipo_);
    for (size_t i = 0; i < cab.campos.size(); ++i) {
        std::string nome = maiusculasAscii(Aparar(cab.campos[i]));
        if (nome.empty()) continue;  // ";" no fim do cabeçalho
        if (tipo_ == TipoCadastro::Contribuintes && nome == "RESPONSAVEL_ID") nome = "RESPONSAVEL";
        bool conhecida = false;
        for (const auto& c : conhecidas) conhecida = conhecida || nome == c.nome;
        if (!conhecida) {
            std::string msg = "Coluna desconhecida no cabeçalho: " + TextoVisivel(Aparar(cab.campos[i]));
            if (nome.find(',') != std::string::npos) msg += " (o separador das colunas é \";\")";
            throw ErroArquivoCSV(msg);
        }
        if (coluna_.count(nome)) throw ErroArquivoCSV("Coluna repetida no cabeçalho: " + nome);
        coluna_[nome] = i;
    }
    std::string faltam;
    for (const auto& c : conhecidas)
        if (c.obrigatoria && !coluna_.count(c.nome)) faltam += (faltam.empty() ? "" : ", ") + std::string(c.nome);
    if (!faltam.empty()) throw ErroArquivoCSV("Faltam colunas no cabeçalho: " + faltam);
}

bool PlanilhaCadastro::proximo(RegistroCSV& r) {
    while (leitor_.proximo(r))
        if (!vazio(r) || r.aspasAbertas || r.longoDemais) return true;
    return false;
}

PlanilhaCadastro AbrirPlanilha(const std::string& caminho, TipoCadastro tipo) {
    std::error_code ec;
    if (!fs::exists(caminho, ec)) throw ErroArquivoCSV("Arquivo não encontrado: " + caminho);
    auto f = std::make_unique<std::ifstream>(caminho, std::ios::binary);
    if (!fs::is_regular_file(caminho, ec) || !*f) throw ErroArquivoCSV("Não foi possível ler o arquivo: " + caminho);
    return PlanilhaCadastro(std::move(f), tipo);
}

PlanilhaCadastro LerPlanilha(const std::string& texto, TipoCadastro tipo) {
    return PlanilhaCadastro(std::make_unique<std::istringstream>(texto), tipo);
}

// --- Importação -----------------------------------------------------------------------------

ResultadoImportacao ImportarContribuintes(fb::Conexao& c, PlanilhaCadastro& p, Interacao& ui,
                                          const PedidoParada& parar) {
    const TabelasCadastro tabelas{lerTabela(c, "SELECT CODDRUMUNICIPIO, DESCRICAO FROM MUNICIPIO"),
                                  lerTabela(c, "SELECT TIPOCONTRIBUINTE_ID, TITULO FROM TIPOCONTRIBUINTE"),
                                  responsaveisPorNome(c)};
    return percorrer(c, p, ui, parar, {}, [&](const RegistroCSV& r, fb::Transacao& tr, Interacao& linhaUi) {
        Contribuinte ct = ContribuinteDaLinha(p, r, tabelas);
        // As repetições contra linhas anteriores do mesmo arquivo aparecem porque as
        // aceitas já estão gravadas na transação do lote
        GravarContribuinte(tr, ct, linhaUi);
    });
}

ResultadoImportacao ImportarResponsaveis(fb::Conexao& c, PlanilhaCadastro& p, Interacao& ui,
                                         const PedidoParada& parar) {
    // Os contribuintes da planilha apontam o responsável pelo nome: na importação, um nome
    // já cadastrado (ou repetido no arquivo) é recusado para não criar nomes ambíguos. Os
    // nomes são relidos a cada lote, com a trava tomada: outra importação pode ter gravado.
    std::set<std::string> nomes;
    auto lerNomes = [&](fb::Transacao& tr) {
        nomes.clear();
        fb::Comando q(tr, "SELECT NOME FROM RESPONSAVEL WHERE RESPONSAVEL_ID <> 0");
        while (q.proximo()) nomes.insert(MaiusculasUtf8(Aparar(q.coluna(0).texto())));
    };
    return percorrer(c, p, ui, parar, lerNomes, [&](const RegistroCSV& reg, fb::Transacao& tr, Interacao& linhaUi) {
        Responsavel r = NovoResponsavel();
        r.NOME = campo(p, reg, "NOME");
        r.DDD = semMascara(campo(p, reg, "DDD"));
        r.TELEFONE = semMascara(campo(p, reg, "TELEFONE"));
        r.EMAIL = campo(p, reg, "EMAIL");
        const std::string chave = MaiusculasUtf8(r.NOME);
        if (!r.NOME.empty() && nomes.count(chave))
            throw LinhaRecusada("Já existe um responsável com o nome \"" + TextoVisivel(r.NOME) + "\".");
        GravarResponsavel(tr, r, linhaUi);
        nomes.insert(chave);
    });
}

std::string ResumoImportacao(const ResultadoImportacao& r) {
    return std::to_string(r.importados) + (r.importados == 1 ? " importado, " : " importados, ") +
           std::to_string(r.recusados) + (r.recusados == 1 ? " recusado" : " recusados");
}

std::string MensagemInterrupcao(const ResultadoImportacao& r) {
    return "Importação interrompida na linha " + std::to_string(r.ultimaLinha) + ": " + ResumoImportacao(r) +
           ". As linhas seguintes não foram lidas.";
}

}  // namespace kov
