#include "data/Cadastros.h"

#include "data/Chaves.h"
#include "data/LinhasBanco.h"
#include "data/untUtils.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {

const char* const MSG_RESPONSAVEL_NAO_ATRIBUIDO =
    "O responsável \"Não atribuído\" não pode ser alterado nem excluído.";

namespace {

const char* const MSG_IE_DUPLICADA = "Já existe um Contribuinte com esta Inscrição Estadual!";
const char* const MSG_SEM_RESPONSAVEL =
    "Favor selecionar um responsável!\r\nCaso não existam responsáveis na lista, \r\n"
    "pode-se cadastrar um novo através do botão que está ao lado da mesma.";

// Rótulo de cada coluna nas mensagens, tamanho (0 quando não é texto) e obrigatoriedade.
// Os rótulos são os da tela de edição; UF_ID não aparece nela.
struct RegraColuna {
    const char* nome;
    const char* rotulo;
    size_t tamanho;
    bool obrigatoria;
};

const std::vector<RegraColuna> REGRAS_CONTRIBUINTE = {
    {"CNAEF_ID", "CNAE", 7, true},
    {"DESMEMBRAMENTO", "Desmembramento", 2, true},
    {"CODDRUMUNICIPIO", "Municipio", 0, true},
    {"UF_ID", "UF", 2, true},
    {"TIPOCONTRIBUINTE_ID", "Tipo Contribuinte", 0, true},
    {"RAZAOSOCIAL", "Razão Social", 60, true},
    {"ENDERECO", "Logradouro", 50, false},
    {"NUMERO", "Número", 5, false},
    {"COMPLEMENTO", "Complemento", 20, false},
    {"BAIRRO", "Bairro", 30, false},
    {"CEP", "CEP", 8, true},
    {"CAIXAPOSTAL", "Caixa Postal", 7, false},
    {"AGENCIAPOSTAL", "Agência Postal", 3, false},
    {"TELEFONE", "Telefone", 12, false},
    {"EMAIL", "Email", 50, true},
    {"DDD", "DDD", 3, false},
    {"INSCESTADUAL", "Inscrição Estadual", 13, true},
    {"RESPONSAVEL_ID", "Responsável", 0, true},
    {"CNPJ", "CNPJ", 14, true},
};

const RegraColuna* regraContribuinte(const std::string& nome) {
    for (const auto& r : REGRAS_CONTRIBUINTE)
        if (nome == r.nome) return &r;
    return nullptr;
}

std::string msgObrigatorio(const std::string& rotulo) { return "Campo (" + rotulo + ") precisa ser preenchido!"; }

// Texto que a base não guardaria inteiro (longo demais), que traria comandos de terminal
// ou quebras para as listagens e arquivos (caracteres de controle), ou que ela não
// conseguiria converter.
std::string problemaTamanho(const std::string& rotulo, const std::string& valor, size_t tamanho) {
    if (ContarCaracteres(valor) > tamanho)
        return "O campo \"" + rotulo + "\" deve ter no máximo " + std::to_string(tamanho) + " caracteres.";
    if (TemCaracteresDeControle(valor))
        return "O campo \"" + rotulo + "\" contém caracteres de controle (como tabulação ou quebra de linha).";
    if (!CabeEmWin1252(valor))
        return "O campo \"" + rotulo + "\" contém caracteres que não podem ser gravados na base.";
    return {};
}

void caixaErro(Interacao& ui, const std::string& texto) { ui.mensagem(TipoMensagem::Erro, "Erro", texto); }

// Mensagem da tela (caixa "Erro") e interrupção apontando o campo a focar.
[[noreturn]] void recusar(Interacao& ui, const std::string& campo, const std::string& texto) {
    caixaErro(ui, texto);
    throw Abortar(campo);
}

// Erro levantado da gravação (caixa de erro padrão) e interrupção apontando o campo.
[[noreturn]] void recusarErro(Interacao& ui, const std::string& campo, const std::string& texto) {
    ui.erro(texto);
    throw Abortar(campo);
}

bool existe(fb::Transacao& tr, const std::string& sql, const std::vector<std::pair<std::string, fb::Valor>>& params) {
    fb::Comando q(tr, sql);
    for (const auto& [nome, valor] : params) q.param(nome, valor);
    return q.proximo();
}

bool ieDuplicada(fb::Transacao& tr, const Contribuinte& ct) {
    // Uma inscrição que a coluna não comporta não pode estar gravada em outro contribuinte
    // (e compará-la faria o servidor recusar o parâmetro).
    if (ContarCaracteres(ct.INSCESTADUAL) > 13 || !CabeEmWin1252(ct.INSCESTADUAL)) return false;
    if (ct.CONTRIBUINTE_ID != 0) {
        fb::Comando q(tr, "SELECT INSCESTADUAL FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = :ID");
        q.param("ID", ct.CONTRIBUINTE_ID);
        // Alteração sem mudar a inscrição: nunca é repetição, mesmo com repetidas na tabela
        if (q.proximo() && q.coluna(0).texto() == ct.INSCESTADUAL) return false;
    }
    return existe(tr, "SELECT FIRST 1 1 FROM CONTRIBUINTE WHERE INSCESTADUAL = :IE AND CONTRIBUINTE_ID <> :ID",
                  {{"IE", ct.INSCESTADUAL}, {"ID", ct.CONTRIBUINTE_ID}});
}

// Campos obrigatórios, tamanhos, CNPJ e códigos que precisam existir nas outras tabelas.
void validarColunas(fb::Transacao& tr, const Contribuinte& ct, Interacao& ui) {
    for (const auto& col : Contribuinte::colunas()) {
        const RegraColuna* r = regraContribuinte(col.nome);
        if (!r || !r->obrigatoria) continue;
        const fb::Valor v = ValorColuna(ct, col);
        if (v.nulo() || Aparar(v.texto()).empty()) recusarErro(ui, r->nome, msgObrigatorio(r->rotulo));
    }
    for (const auto& col : Contribuinte::colunas()) {
        const RegraColuna* r = regraContribuinte(col.nome);
        if (!r || r->tamanho == 0) continue;
        const std::string p = problemaTamanho(r->rotulo, ValorColuna(ct, col).texto(), r->tamanho);
        if (!p.empty()) recusarErro(ui, r->nome, p);
    }
    if (ContarCaracteres(ct.CNPJ) != 14) recusarErro(ui, "CNPJ", "O campo \"CNPJ\" deve ter 14 caracteres.");
    // Os quatro códigos numa consulta só: a importação faz isto a cada linha
    fb::Comando q(tr,
                  "SELECT (SELECT COUNT(*) FROM MUNICIPIO WHERE CODDRUMUNICIPIO = :M), "
                  "(SELECT COUNT(*) FROM TIPOCONTRIBUINTE WHERE TIPOCONTRIBUINTE_ID = :T), "
                  "(SELECT COUNT(*) FROM CNAEF WHERE CNAEF_ID = :C AND DESMEMBRAMENTO = :D), "
                  "(SELECT COUNT(*) FROM RESPONSAVEL WHERE RESPONSAVEL_ID = :R) FROM RDB$DATABASE");
    q.param("M", ct.CODDRUMUNICIPIO).param("T", ct.TIPOCONTRIBUINTE_ID).param("C", ct.CNAEF_ID);
    q.param("D", ct.DESMEMBRAMENTO).param("R", ct.RESPONSAVEL_ID);
    q.proximo();
    if (q.coluna(0).inteiro() == 0)
        recusarErro(ui, "CODDRUMUNICIPIO",
                    "Município não encontrado (código " + std::to_string(*ct.CODDRUMUNICIPIO) + ").");
    if (q.coluna(1).inteiro() == 0)
        recusarErro(ui, "TIPOCONTRIBUINTE_ID",
                    "Tipo de contribuinte não encontrado (código " + std::to_string(*ct.TIPOCONTRIBUINTE_ID) + ").");
    if (q.coluna(2).inteiro() == 0)
        recusarErro(ui, "CNAEF_ID", "CNAE-F não encontrado (" + ct.CNAEF_ID + "/" + ct.DESMEMBRAMENTO + ").");
    if (q.coluna(3).inteiro() == 0)
        recusarErro(ui, "RESPONSAVEL_ID",
                    "Responsável não encontrado (código " + std::to_string(*ct.RESPONSAVEL_ID) + ").");
}

void validarContribuinte(fb::Transacao& tr, const Contribuinte& ct, Interacao& ui) {
    if (ieDuplicada(tr, ct)) recusar(ui, "INSCESTADUAL", MSG_IE_DUPLICADA);
    if (!ConsisteIE(ct.INSCESTADUAL, "QZ", &ui)) recusar(ui, "INSCESTADUAL", "Inscrição Estadual inválida!");
    if (ContarCaracteres(ct.CEP) < 8) recusar(ui, "CEP", "O campo \"CEP\" deve ter no mínimo 8 caracteres.");
    if (ct.DDD.empty() && !ui.pergunta("Gravação", "O campo \"DDD\" não tem valor. Deseja continuar?"))
        throw Abortar("DDD");
    if (ct.EMAIL.empty()) recusar(ui, "EMAIL", "O campo \"Email\" precisa ter um valor.");
    const size_t telefone = ContarCaracteres(ct.TELEFONE);
    if (telefone > 0 && telefone <= 6)
        recusar(ui, "TELEFONE", "O campo \"Telefone\" deve ter no mínimo 7 caracteres.");
    if (telefone == 0 && !ui.pergunta("Gravação", "O campo \"Telefone\" não tem valor. Deseja continuar?"))
        throw Abortar("TELEFONE");
    if (ct.RESPONSAVEL_ID.value_or(0) == 0) recusar(ui, "RESPONSAVEL_ID", MSG_SEM_RESPONSAVEL);
    validarColunas(tr, ct, ui);
}

// Colunas da lista de contribuintes com o prefixo da tabela (MUNICIPIO e TIPOCONTRIBUINTE
// têm colunas de mesmo nome).
std::string colunasComPrefixo() {
    std::string s;
    for (const auto& c : Contribuinte::colunas()) s += (s.empty() ? "C." : ", C.") + std::string(c.nome);
    return s;
}

}  // namespace

// --- Contribuintes -------------------------------------------------------------------

std::vector<LinhaListaContribuinte> ListarContribuintes(fb::Conexao& c) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, "SELECT " + colunasComPrefixo() +
                          ", M.DESCRICAO, M.MUNICIPIO_ID, T.TITULO, "
                          "(SELECT F.DESCRICAO FROM CNAEF F WHERE F.CNAEF_ID = C.CNAEF_ID "
                          "AND F.DESMEMBRAMENTO = C.DESMEMBRAMENTO) "
                          "FROM CONTRIBUINTE C "
                          "LEFT JOIN MUNICIPIO M ON M.CODDRUMUNICIPIO = C.CODDRUMUNICIPIO "
                          "LEFT JOIN TIPOCONTRIBUINTE T ON T.TIPOCONTRIBUINTE_ID = C.TIPOCONTRIBUINTE_ID "
                          "ORDER BY C.INSCESTADUAL, C.CONTRIBUINTE_ID");
    const int n = static_cast<int>(Contribuinte::colunas().size());
    std::vector<LinhaListaContribuinte> v;
    while (q.proximo()) {
        LinhaListaContribuinte l;
        l.c = LerLinha<Contribuinte>(q);
        l.DESCRICAO_MUNICIPIO = q.coluna(n).texto();
        if (!q.coluna(n + 1).nulo()) l.MUNICIPIO_MUNICIPIO_ID = static_cast<int>(q.coluna(n + 1).inteiro());
        l.TITULO_TIPO = q.coluna(n + 2).texto();
        l.CNAEF_DESCRICAO = q.coluna(n + 3).texto();
        v.push_back(std::move(l));
    }
    tr.commit();
    return v;
}

Contribuinte CarregarContribuinte(fb::Conexao& c, int id) {
    auto tr = fb::Transacao::leitura(c);
    Contribuinte ct = CarregarContribuinte(tr, id);
    tr.commit();
    return ct;
}

Contribuinte CarregarContribuinte(fb::Transacao& tr, int id) {
    fb::Comando q(tr, "SELECT " + ListaColunas<Contribuinte>() + " FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = :ID");
    q.param("ID", id);
    if (!q.proximo()) throw ErroSistema("Contribuinte " + std::to_string(id) + " não encontrado.");
    return LerLinha<Contribuinte>(q);
}

Contribuinte NovoContribuinte() {
    Contribuinte ct;
    ct.UF_ID = "QZ";
    ct.RESPONSAVEL_ID = 0;
    return ct;
}

bool VerificarIEDuplicada(fb::Conexao& c, const Contribuinte& ct, Interacao& ui) {
    auto tr = fb::Transacao::leitura(c);
    const bool repetida = ieDuplicada(tr, ct);
    tr.commit();
    if (repetida) caixaErro(ui, MSG_IE_DUPLICADA);
    return !repetida;
}

void ValidarContribuinte(fb::Conexao& c, const Contribuinte& ct, Interacao& ui) {
    auto tr = fb::Transacao::leitura(c);
    validarContribuinte(tr, ct, ui);
    tr.commit();
}

namespace {

// Insere (chave 0, tirada do gerador) ou atualiza a linha já verificada.
void gravarLinha(fb::Transacao& tr, Contribuinte& ct) {
    Contribuinte linha = ct;
    if (linha.CONTRIBUINTE_ID == 0) {
        InserirContribuinte(tr, linha);
    } else {
        if (!existe(tr, "SELECT 1 FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = :ID", {{"ID", linha.CONTRIBUINTE_ID}}))
            throw ErroSistema("Contribuinte " + std::to_string(linha.CONTRIBUINTE_ID) + " não encontrado.");
        AtualizarLinha(tr, linha, "CONTRIBUINTE_ID");
    }
    ct.CONTRIBUINTE_ID = linha.CONTRIBUINTE_ID;
}

}  // namespace

void GravarContribuinte(fb::Transacao& tr, Contribuinte& ct, Interacao& ui) {
    validarContribuinte(tr, ct, ui);
    gravarLinha(tr, ct);
}

void GravarContribuinte(fb::Conexao& c, Contribuinte& ct, Interacao& ui) {
    // Verificação e gravação na mesma transação: a inscrição conferida é a que fica gravada
    fb::Transacao tr(c);
    validarContribuinte(tr, ct, ui);
    // As perguntas já foram feitas: a trava fica só o tempo de conferir de novo e gravar.
    // Outro processo pode ter gravado a mesma inscrição enquanto a tela perguntava.
    TravarCadastros(tr);
    if (ieDuplicada(tr, ct)) recusar(ui, "INSCESTADUAL", MSG_IE_DUPLICADA);
    Contribuinte linha = ct;
    gravarLinha(tr, linha);
    tr.commit();
    // Só depois de confirmada: uma gravação que falha deixa o registro como novo
    ct.CONTRIBUINTE_ID = linha.CONTRIBUINTE_ID;
}

void InserirContribuinte(fb::Transacao& tr, Contribuinte& ct) {
    if (ct.CONTRIBUINTE_ID == 0) ct.CONTRIBUINTE_ID = ProximoCodigo(tr, "CONTRIBUINTE");
    InserirLinhas(tr, std::vector<Contribuinte>{ct});
}

void ExcluirContribuinte(fb::Conexao& c, int id) {
    fb::Transacao tr(c);
    if (!existe(tr, "SELECT 1 FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = :ID", {{"ID", id}}))
        throw ErroSistema("Contribuinte " + std::to_string(id) + " não encontrado.");
    if (existe(tr, "SELECT FIRST 1 1 FROM DOCUMENTO WHERE CONTRIBUINTE_ID = :ID", {{"ID", id}}))
        throw ErroSistema("O contribuinte tem declarações gravadas e não pode ser excluído.");
    fb::Comando apaga(tr, "DELETE FROM CONTRIBUINTE WHERE CONTRIBUINTE_ID = :ID");
    apaga.param("ID", id).executar();
    tr.commit();
}

// --- Responsáveis ----------------------------------------------------------------------

std::vector<Responsavel> ListarResponsaveis(fb::Conexao& c) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, "SELECT " + ListaColunas<Responsavel>() +
                          " FROM RESPONSAVEL WHERE RESPONSAVEL.RESPONSAVEL_ID <> 0 ORDER BY NOME COLLATE WIN_PTBR, RESPONSAVEL_ID");
    std::vector<Responsavel> v;
    while (q.proximo()) v.push_back(LerLinha<Responsavel>(q));
    tr.commit();
    return v;
}

std::optional<Responsavel> LerResponsavel(fb::Transacao& tr, int id) {
    fb::Comando q(tr, "SELECT " + ListaColunas<Responsavel>() + " FROM RESPONSAVEL WHERE RESPONSAVEL_ID = :ID");
    q.param("ID", id);
    if (!q.proximo()) return std::nullopt;
    return LerLinha<Responsavel>(q);
}

Responsavel CarregarResponsavel(fb::Conexao& c, int id) {
    if (id == 0) throw ErroSistema(MSG_RESPONSAVEL_NAO_ATRIBUIDO);
    auto tr = fb::Transacao::leitura(c);
    auto r = LerResponsavel(tr, id);
    if (!r) throw ErroSistema("Responsável " + std::to_string(id) + " não encontrado.");
    tr.commit();
    return *r;
}

Responsavel NovoResponsavel() { return Responsavel{}; }

void ValidarCampoResponsavel(const std::string& campo, const std::string& valor) {
    if (campo == "DDD") {
        const std::string t = Aparar(valor);
        if (ContarCaracteres(t) < 2) throw ErroCampo(campo, "O DDD deve ter no mínimo 2 dígitos.");
        if (!SoNumeros(t)) throw ErroCampo(campo, "O DDD deve ter somente números.");
    } else if (campo == "TELEFONE") {
        const std::string t = Aparar(valor);
        if (ContarCaracteres(t) < 8) throw ErroCampo(campo, "O telefone deve ter no mínimo 8 dígitos.");
        if (!SoNumeros(t)) throw ErroCampo(campo, "O telefone deve ter somente números.");
    } else if (campo == "EMAIL") {
        if (valor.find('@') == std::string::npos || valor.find('.') == std::string::npos)
            throw ErroCampo(campo, "Favor validar o endereço digitado");
    }
}

void ValidarResponsavel(const Responsavel& r) {
    struct Campo {
        const char* nome;
        const char* rotulo;
        const std::string& valor;
        size_t tamanho;
    };
    const Campo campos[] = {
        {"NOME", "Nome", r.NOME, 40},
        {"DDD", "DDD", r.DDD, 3},
        {"TELEFONE", "Telefone", r.TELEFONE, 8},
        {"EMAIL", "E-Mail", r.EMAIL, 50},
    };
    for (const auto& c : campos) {
        if (std::string(c.nome) == "NOME" && Aparar(c.valor).empty()) throw ErroCampo(c.nome, msgObrigatorio(c.rotulo));
        ValidarCampoResponsavel(c.nome, c.valor);
        const std::string p = problemaTamanho(c.rotulo, c.valor, c.tamanho);
        if (!p.empty()) throw ErroCampo(c.nome, p);
    }
}

void GravarResponsavel(fb::Transacao& tr, Responsavel& r, Interacao& ui) {
    try {
        ValidarResponsavel(r);
    } catch (const ErroCampo& e) {
        recusarErro(ui, e.campo, e.what());
    }
    Responsavel linha = r;
    if (linha.RESPONSAVEL_ID == 0) {
        linha.RESPONSAVEL_ID = ProximoCodigo(tr, "RESPONSAVEL");
        InserirLinhas(tr, std::vector<Responsavel>{linha});
    } else {
        if (!existe(tr, "SELECT 1 FROM RESPONSAVEL WHERE RESPONSAVEL_ID = :ID", {{"ID", linha.RESPONSAVEL_ID}}))
            throw ErroSistema("Responsável " + std::to_string(linha.RESPONSAVEL_ID) + " não encontrado.");
        AtualizarLinha(tr, linha, "RESPONSAVEL_ID");
    }
    r.RESPONSAVEL_ID = linha.RESPONSAVEL_ID;
}

void GravarResponsavel(fb::Conexao& c, Responsavel& r, Interacao& ui) {
    fb::Transacao tr(c);
    Responsavel linha = r;
    GravarResponsavel(tr, linha, ui);
    tr.commit();
    r.RESPONSAVEL_ID = linha.RESPONSAVEL_ID;
}

void ExcluirResponsavel(fb::Conexao& c, int id) {
    if (id == 0) throw ErroSistema(MSG_RESPONSAVEL_NAO_ATRIBUIDO);
    fb::Transacao tr(c);
    if (!existe(tr, "SELECT 1 FROM RESPONSAVEL WHERE RESPONSAVEL_ID = :ID", {{"ID", id}}))
        throw ErroSistema("Responsável " + std::to_string(id) + " não encontrado.");
    if (existe(tr, "SELECT FIRST 1 1 FROM CONTRIBUINTE WHERE RESPONSAVEL_ID = :ID", {{"ID", id}}))
        throw ErroSistema("O responsável está associado a contribuintes e não pode ser excluído.");
    fb::Comando apaga(tr, "DELETE FROM RESPONSAVEL WHERE RESPONSAVEL_ID = :ID");
    apaga.param("ID", id).executar();
    tr.commit();
}

// --- Trava dos cadastros ---------------------------------------------------------------

void TravarCadastros(fb::Transacao& tr) {
    for (;;) {
        try {
            fb::Comando q(tr, "SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO' WITH LOCK");
            if (!q.proximo()) throw ErroSistema("A base não tem o parâmetro VERSAO: os cadastros não podem ser gravados.");
            return;
        } catch (const fb::ErroBanco& e) {
            // A outra transação terminou depois de nos fazer esperar: a linha mudou de
            // versão, e uma nova leitura (read committed) a trava.
            if (!e.conflitoDeAtualizacao()) throw;
        }
    }
}

// --- Auxiliares ------------------------------------------------------------------------

size_t ContarCaracteres(const std::string& texto) {
    size_t n = 0;
    for (unsigned char b : texto)
        if ((b & 0xC0) != 0x80) ++n;
    return n;
}

bool CabeEmWin1252(const std::string& texto) {
    // Pontos de código acima de U+00FF que Windows-1252 guarda nos bytes 0x80..0x9F
    static const char32_t extras[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                      0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    size_t i = 0;
    while (i < texto.size()) {
        const unsigned char b = static_cast<unsigned char>(texto[i]);
        char32_t cp;
        size_t n;
        if (b < 0x80) { cp = b; n = 1; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; n = 2; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; n = 3; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; n = 4; }
        else return false;
        if (i + n > texto.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            const unsigned char c = static_cast<unsigned char>(texto[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        i += n;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) continue;
        bool achou = false;
        for (char32_t e : extras) achou = achou || e == cp;
        if (!achou) return false;
    }
    return true;
}

std::string MaiusculasUtf8(const std::string& texto) {
    std::string s = texto;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b >= 'a' && b <= 'z') {
            s[i] = static_cast<char>(b - 'a' + 'A');
        } else if (b == 0xC3 && i + 1 < s.size()) {
            // à..þ (U+00E0..U+00FE, menos ÷) → À..Þ: o segundo byte desce 0x20
            const unsigned char c = static_cast<unsigned char>(s[i + 1]);
            if (c >= 0xA0 && c <= 0xBE && c != 0xB7) s[i + 1] = static_cast<char>(c - 0x20);
            ++i;
        }
    }
    return s;
}

namespace {

// Próximo ponto de código UTF-8 a partir de 'i' (que avança); -1 quando os bytes não
// formam UTF-8 (então 'i' avança um byte).
long proximoCaractere(const std::string& s, size_t& i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    size_t n;
    long cp;
    if (b < 0x80) { ++i; return b; }
    if (b >= 0xC2 && b <= 0xDF) { n = 2; cp = b & 0x1F; }
    else if ((b & 0xF0) == 0xE0) { n = 3; cp = b & 0x0F; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; cp = b & 0x07; }
    else { ++i; return -1; }
    if (i + n > s.size()) { ++i; return -1; }
    for (size_t k = 1; k < n; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) { ++i; return -1; }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += n;
    return cp;
}

bool controle(long cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

}  // namespace

bool TemCaracteresDeControle(const std::string& texto) {
    for (size_t i = 0; i < texto.size();) {
        const long cp = proximoCaractere(texto, i);
        if (cp >= 0 && controle(cp)) return true;
    }
    return false;
}

std::string TextoVisivel(const std::string& texto) {
    std::string s;
    s.reserve(texto.size());
    for (size_t i = 0; i < texto.size();) {
        const size_t inicio = i;
        const long cp = proximoCaractere(texto, i);
        if (cp == '\t' || cp == '\n' || cp == '\r') s += ' ';
        else if (cp < 0 || controle(cp)) s += "\xEF\xBF\xBD";  // U+FFFD
        else s.append(texto, inicio, i - inicio);
    }
    return s;
}

std::string Aparar(const std::string& texto) {
    // Como o Trim das telas: tira brancos e caracteres de controle das pontas
    size_t ini = 0, fim = texto.size();
    while (ini < fim && static_cast<unsigned char>(texto[ini]) <= ' ') ++ini;
    while (fim > ini && static_cast<unsigned char>(texto[fim - 1]) <= ' ') --fim;
    return texto.substr(ini, fim - ini);
}

}  // namespace kov
