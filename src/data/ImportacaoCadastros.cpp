#include "data/ImportacaoCadastros.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "data/AtualizacaoCNAE.h"
#include "data/Cadastros.h"
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

// Recusa da linha com a mensagem já pronta (a Interacao da linha põe o número da linha).
struct LinhaRecusada {
    std::string texto;
};

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
    auto it = p.coluna.find(nome);
    if (it == p.coluna.end() || it->second >= r.campos.size()) return {};
    return Aparar(r.campos[it->second]);
}

size_t numeroColunas(const PlanilhaCadastro& p) {
    size_t n = 0;
    for (const auto& [nome, i] : p.coluna) n = std::max(n, i + 1);
    return n;
}

void conferirFormato(const PlanilhaCadastro& p, const RegistroCSV& r) {
    if (r.aspasAbertas) throw LinhaRecusada{"Aspas abertas e não fechadas até o fim do arquivo."};
    // Campos vazios a mais são aceitos: a exportação de tabelas termina cada linha em ";"
    for (size_t i = numeroColunas(p); i < r.campos.size(); ++i)
        if (!Aparar(r.campos[i]).empty()) throw LinhaRecusada{"A linha tem mais campos que o cabeçalho."};
}

// Código pelo número ou pela descrição (sem distinguir maiúsculas); a descrição precisa
// ser única.
struct Descricao {
    int codigo;
    std::string texto;
};

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
            throw LinhaRecusada{std::string("Há mais de um ") + b.oQue + " com o nome \"" + valor +
                                "\"; informe o código (" + b.coluna + ")."};
        achado = d.codigo;
    }
    if (!achado) throw LinhaRecusada{b.naoAchado + valor};
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

Contribuinte montarContribuinte(const PlanilhaCadastro& p, const RegistroCSV& r, const std::vector<Descricao>& municipios,
                                const std::vector<Descricao>& tipos, const std::vector<Descricao>& responsaveis) {
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

// Roda 'gravar' para cada linha não vazia, contando aceitas e recusadas.
template <class F>
ResultadoImportacao percorrer(const PlanilhaCadastro& p, Interacao& ui, F gravar) {
    ResultadoImportacao res;
    InteracaoLinha linhaUi(ui);
    for (const auto& r : p.registros) {
        if (vazio(r) && !r.aspasAbertas) continue;
        linhaUi.linha = r.linha;
        try {
            conferirFormato(p, r);
            gravar(r, linhaUi);
            res.importados++;
        } catch (const LinhaRecusada& e) {
            linhaUi.erro(e.texto);
            res.recusados++;
        } catch (const Abortar&) {
            res.recusados++;  // a mensagem já foi mostrada
        } catch (const std::exception& e) {
            linhaUi.erro(e.what());
            res.recusados++;
        }
    }
    return res;
}

}  // namespace

std::vector<RegistroCSV> DividirCSV(const std::string& t) {
    std::vector<RegistroCSV> registros;
    RegistroCSV atual;
    std::string valor;
    bool entreAspas = false, pendente = false;
    int linha = 1;
    atual.linha = 1;
    auto fecharCampo = [&] {
        atual.campos.push_back(valor);
        valor.clear();
    };
    auto fecharRegistro = [&] {
        fecharCampo();
        registros.push_back(std::move(atual));
        atual = RegistroCSV{};
        pendente = false;
    };
    for (size_t i = 0; i < t.size(); ++i) {
        const char ch = t[i];
        if (entreAspas) {
            if (ch == '"') {
                if (i + 1 < t.size() && t[i + 1] == '"') {
                    valor += '"';
                    ++i;
                } else {
                    entreAspas = false;
                }
            } else {
                if (ch == '\n' || (ch == '\r' && !(i + 1 < t.size() && t[i + 1] == '\n'))) ++linha;
                valor += ch;
            }
            continue;
        }
        if (ch == '"' && Aparar(valor).empty()) {
            entreAspas = true;
            valor.clear();
            pendente = true;
        } else if (ch == ';') {
            fecharCampo();
            pendente = true;
        } else if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
            fecharRegistro();
            atual.linha = ++linha;
        } else {
            valor += ch;
            pendente = true;
        }
    }
    if (entreAspas) atual.aspasAbertas = true;
    if (pendente || !valor.empty() || entreAspas) fecharRegistro();
    return registros;
}

std::string LerArquivoCSV(const std::string& caminho) {
    std::error_code ec;
    if (!fs::exists(caminho, ec)) throw ErroArquivoCSV("Arquivo não encontrado: " + caminho);
    std::ifstream f(caminho, std::ios::binary);
    if (!fs::is_regular_file(caminho, ec) || !f) throw ErroArquivoCSV("Não foi possível ler o arquivo: " + caminho);
    std::stringstream ss;
    ss << f.rdbuf();
    std::string texto = ss.str();
    if (texto.rfind("\xEF\xBB\xBF", 0) == 0) texto.erase(0, 3);
    return TextoParaUtf8(texto);
}

PlanilhaCadastro LerPlanilha(const std::string& texto, TipoCadastro tipo) {
    PlanilhaCadastro p;
    p.tipo = tipo;
    auto registros = DividirCSV(texto);
    size_t inicio = 0;
    while (inicio < registros.size() && vazio(registros[inicio]) && !registros[inicio].aspasAbertas) ++inicio;
    if (inicio == registros.size())
        throw ErroArquivoCSV("O arquivo não tem a linha de cabeçalho com os nomes das colunas.");
    const RegistroCSV& cab = registros[inicio];
    if (cab.aspasAbertas) throw ErroArquivoCSV("Cabeçalho com aspas abertas e não fechadas.");
    const auto& conhecidas = colunasDe(tipo);
    for (size_t i = 0; i < cab.campos.size(); ++i) {
        std::string nome = maiusculasAscii(Aparar(cab.campos[i]));
        if (nome.empty()) continue;  // ";" no fim do cabeçalho
        if (tipo == TipoCadastro::Contribuintes && nome == "RESPONSAVEL_ID") nome = "RESPONSAVEL";
        bool conhecida = false;
        for (const auto& c : conhecidas) conhecida = conhecida || nome == c.nome;
        if (!conhecida) {
            std::string msg = "Coluna desconhecida no cabeçalho: " + Aparar(cab.campos[i]);
            if (nome.find(',') != std::string::npos) msg += " (o separador das colunas é \";\")";
            throw ErroArquivoCSV(msg);
        }
        if (p.coluna.count(nome)) throw ErroArquivoCSV("Coluna repetida no cabeçalho: " + nome);
        p.coluna[nome] = i;
    }
    std::string faltam;
    for (const auto& c : conhecidas)
        if (c.obrigatoria && !p.coluna.count(c.nome)) faltam += (faltam.empty() ? "" : ", ") + std::string(c.nome);
    if (!faltam.empty()) throw ErroArquivoCSV("Faltam colunas no cabeçalho: " + faltam);
    p.registros.assign(registros.begin() + static_cast<std::ptrdiff_t>(inicio) + 1, registros.end());
    return p;
}

ResultadoImportacao ImportarContribuintes(fb::Conexao& c, const PlanilhaCadastro& p, Interacao& ui) {
    const auto municipios = lerTabela(c, "SELECT CODDRUMUNICIPIO, DESCRICAO FROM MUNICIPIO");
    const auto tipos = lerTabela(c, "SELECT TIPOCONTRIBUINTE_ID, TITULO FROM TIPOCONTRIBUINTE");
    const auto responsaveis = responsaveisPorNome(c);
    return percorrer(p, ui, [&](const RegistroCSV& r, Interacao& linhaUi) {
        Contribuinte ct = montarContribuinte(p, r, municipios, tipos, responsaveis);
        // Cada linha numa transação: as repetições contra linhas anteriores do mesmo
        // arquivo aparecem porque as aceitas já estão gravadas
        GravarContribuinte(c, ct, linhaUi);
    });
}

ResultadoImportacao ImportarResponsaveis(fb::Conexao& c, const PlanilhaCadastro& p, Interacao& ui) {
    // Os contribuintes da planilha apontam o responsável pelo nome: na importação, um nome
    // já cadastrado (ou repetido no arquivo) é recusado para não criar nomes ambíguos.
    std::set<std::string> nomes;
    for (const auto& r : ListarResponsaveis(c)) nomes.insert(MaiusculasUtf8(Aparar(r.NOME)));
    return percorrer(p, ui, [&](const RegistroCSV& reg, Interacao& linhaUi) {
        Responsavel r = NovoResponsavel();
        r.NOME = campo(p, reg, "NOME");
        r.DDD = semMascara(campo(p, reg, "DDD"));
        r.TELEFONE = semMascara(campo(p, reg, "TELEFONE"));
        r.EMAIL = campo(p, reg, "EMAIL");
        const std::string chave = MaiusculasUtf8(r.NOME);
        if (!r.NOME.empty() && nomes.count(chave))
            throw LinhaRecusada{"Já existe um responsável com o nome \"" + r.NOME + "\"."};
        GravarResponsavel(c, r, linhaUi);
        nomes.insert(chave);
    });
}

std::string ResumoImportacao(const ResultadoImportacao& r) {
    return std::to_string(r.importados) + (r.importados == 1 ? " importado, " : " importados, ") +
           std::to_string(r.recusados) + (r.recusados == 1 ? " recusado" : " recusados");
}

}  // namespace kov
