#include "data/fb/Comando.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "data/fb/Api.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace Firebird;

namespace kov::fb {

namespace {

std::string maiusculas(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

constexpr unsigned CHARSET_UTF8 = 4;

// Mantém os primeiros n caracteres UTF-8.
std::string primeirosCaracteres(const std::string& s, size_t n) {
    size_t i = 0, cont = 0;
    while (i < s.size()) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (cont == n) break;
            ++cont;
        }
        ++i;
    }
    return s.substr(0, i);
}

}  // namespace

std::string converterParametros(const std::string& sql, std::vector<std::string>& nomes) {
    std::string out;
    out.reserve(sql.size());
    const size_t n = sql.size();
    for (size_t i = 0; i < n;) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            size_t j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) { j += 2; continue; }
                    break;
                }
                ++j;
            }
            out.append(sql, i, std::min(j + 1, n) - i);
            i = j + 1;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            size_t j = sql.find('\n', i);
            if (j == std::string::npos) j = n;
            out.append(sql, i, j - i);
            i = j;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t j = sql.find("*/", i + 2);
            j = (j == std::string::npos) ? n : j + 2;
            out.append(sql, i, j - i);
            i = j;
        } else if (c == ':' && i + 1 < n && (std::isalpha(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '_')) {
            size_t j = i + 1;
            while (j < n && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_' || sql[j] == '$')) ++j;
            nomes.push_back(maiusculas(sql.substr(i + 1, j - i - 1)));
            out += '?';
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

struct Comando::Impl {
    Transacao& tr;
    api::Ref<IStatement> stmt;
    api::Ref<IMessageMetadata> metaEntrada;
    api::Ref<IMessageMetadata> metaSaida;
    api::Ref<IResultSet> cursor;
    std::vector<std::string> nomesParam;
    std::vector<Valor> valoresParam;
    std::vector<std::string> nomesColuna;
    std::vector<Valor> linha;
    std::vector<unsigned char> bufSaida;
    unsigned tipo = 0;
    bool temLinha = false;
    std::string sqlGuardado;  // texto do comando, quando ele volta ao reuso ao terminar
    unsigned geracao = 0;     // geração do reuso quando o comando foi tirado ou preparado

    explicit Impl(Transacao& t) : tr(t) {}

    IAttachment* anexo() const { return tr.conexao().anexo(); }

    void prepararEntrada(ThrowStatusWrapper& st, api::Ref<IMessageMetadata>& meta, std::vector<unsigned char>& buf);
    void lerLinha(ThrowStatusWrapper& st);
    std::string lerBlob(ThrowStatusWrapper& st, const ISC_QUAD& id);
    ISC_QUAD gravarBlob(ThrowStatusWrapper& st, const std::string& bytes);
};

Comando::Comando(Transacao& t, const std::string& sql) : d_(std::make_unique<Impl>(t)) {
    if (!t.ativa()) t.iniciar();
    api::CacheComandos* cache = t.conexao().cacheComandos();
    if (cache) {
        d_->sqlGuardado = sql;
        d_->geracao = cache->geracao;
        auto it = cache->livres.find(sql);
        if (it != cache->livres.end()) {
            api::ComandoPreparado& p = it->second;
            d_->stmt = std::move(p.stmt);
            d_->metaEntrada = std::move(p.metaEntrada);
            d_->metaSaida = std::move(p.metaSaida);
            d_->nomesParam = std::move(p.nomesParam);
            d_->nomesColuna = std::move(p.nomesColuna);
            d_->tipo = p.tipo;
            d_->bufSaida.assign(p.tamanhoSaida, 0);
            cache->livres.erase(it);
            d_->valoresParam.resize(d_->nomesParam.size());
            d_->linha.resize(d_->nomesColuna.size());
            return;
        }
    }
    const std::string convertido = converterParametros(sql, d_->nomesParam);
    d_->valoresParam.resize(d_->nomesParam.size());
    api::chamar([&](ThrowStatusWrapper& st) {
        d_->stmt.reset(d_->anexo()->prepare(&st, t.handle(), 0, convertido.c_str(), 3,
                                            IStatement::PREPARE_PREFETCH_METADATA));
        d_->tipo = d_->stmt->getType(&st);
        d_->metaEntrada.reset(d_->stmt->getInputMetadata(&st));
        d_->metaSaida.reset(d_->stmt->getOutputMetadata(&st));
        const unsigned n = d_->metaSaida->getCount(&st);
        for (unsigned i = 0; i < n; ++i) {
            const char* alias = d_->metaSaida->getAlias(&st, i);
            d_->nomesColuna.push_back(maiusculas(alias && *alias ? alias : d_->metaSaida->getField(&st, i)));
        }
        d_->linha.resize(n);
        d_->bufSaida.assign(d_->metaSaida->getMessageLength(&st), 0);
    });
    if (cache && d_->tipo == isc_info_sql_stmt_ddl) {
        // DDL muda a estrutura que os guardados conhecem, e eles prenderiam as tabelas
        api::liberarComandos(*cache);
        d_->sqlGuardado.clear();
    }
}

Comando::~Comando() {
    if (d_ && d_->cursor) {
        try { api::chamar([&](ThrowStatusWrapper& st) { d_->cursor->close(&st); d_->cursor.soltar(); }); } catch (...) {}
    }
    if (!d_ || !d_->stmt) return;
    api::CacheComandos* cache = d_->tr.conexao().cacheComandos();
    if (cache && !d_->sqlGuardado.empty() && d_->geracao == cache->geracao &&
        cache->livres.size() < api::CacheComandos::LIMITE) {
        api::ComandoPreparado p;
        p.stmt = std::move(d_->stmt);
        p.metaEntrada = std::move(d_->metaEntrada);
        p.metaSaida = std::move(d_->metaSaida);
        p.nomesParam = std::move(d_->nomesParam);
        p.nomesColuna = std::move(d_->nomesColuna);
        p.tipo = d_->tipo;
        p.tamanhoSaida = static_cast<unsigned>(d_->bufSaida.size());
        cache->livres.emplace(std::move(d_->sqlGuardado), std::move(p));
        return;
    }
    try { api::chamar([&](ThrowStatusWrapper& st) { d_->stmt->free(&st); d_->stmt.soltar(); }); } catch (...) {}
}

Comando& Comando::param(const std::string& nome, const Valor& v) {
    const std::string n = maiusculas(nome);
    bool achou = false;
    for (size_t i = 0; i < d_->nomesParam.size(); ++i)
        if (d_->nomesParam[i] == n) { d_->valoresParam[i] = v; achou = true; }
    if (!achou) throw ErroBanco("Parâmetro '" + nome + "' não encontrado");
    return *this;
}

bool Comando::temParametro(const std::string& nome) const {
    const std::string n = maiusculas(nome);
    return std::find(d_->nomesParam.begin(), d_->nomesParam.end(), n) != d_->nomesParam.end();
}

ISC_QUAD Comando::Impl::gravarBlob(ThrowStatusWrapper& st, const std::string& bytes) {
    ISC_QUAD id{};
    api::Ref<IBlob> blob(anexo()->createBlob(&st, tr.handle(), &id, 0, nullptr));
    size_t pos = 0;
    while (pos < bytes.size()) {
        const unsigned n = static_cast<unsigned>(std::min<size_t>(32000, bytes.size() - pos));
        blob->putSegment(&st, n, bytes.data() + pos);
        pos += n;
    }
    blob->close(&st);
    blob.soltar();
    return id;
}

std::string Comando::Impl::lerBlob(ThrowStatusWrapper& st, const ISC_QUAD& idOriginal) {
    ISC_QUAD id = idOriginal;
    api::Ref<IBlob> blob(anexo()->openBlob(&st, tr.handle(), &id, 0, nullptr));
    std::string out;
    char buf[32768];
    for (;;) {
        unsigned lidos = 0;
        const int r = blob->getSegment(&st, sizeof buf, buf, &lidos);
        if (r == IStatus::RESULT_OK || r == IStatus::RESULT_SEGMENT) out.append(buf, lidos);
        else break;
    }
    blob->close(&st);
    blob.soltar();
    return out;
}

void Comando::Impl::prepararEntrada(ThrowStatusWrapper& st, api::Ref<IMessageMetadata>& meta,
                                    std::vector<unsigned char>& buf) {
    const unsigned n = metaEntrada->getCount(&st);
    api::Ref<IMetadataBuilder> b(metaEntrada->getBuilder(&st));
    for (unsigned i = 0; i < n; ++i) {
        const Valor& v = valoresParam[i];
        const unsigned tipoOriginal = metaEntrada->getType(&st, i);
        switch (v.tipo()) {
            case Valor::Tipo::Nulo: b->setType(&st, i, tipoOriginal | 1); break;
            case Valor::Tipo::Texto:
                if (tipoOriginal == SQL_BLOB) { b->setType(&st, i, SQL_BLOB | 1); break; }
                b->setType(&st, i, SQL_VARYING | 1);
                b->setCharSet(&st, i, CHARSET_UTF8);
                b->setLength(&st, i, static_cast<unsigned>(std::max<size_t>(v.bytes().size(), 1)));
                break;
            case Valor::Tipo::Binario: b->setType(&st, i, SQL_BLOB | 1); break;
            case Valor::Tipo::Inteiro:
                b->setType(&st, i, SQL_INT64 | 1);
                b->setLength(&st, i, sizeof(ISC_INT64));
                b->setScale(&st, i, std::min(v.escala(), 0));
                break;
            case Valor::Tipo::Logico:
                b->setType(&st, i, SQL_BOOLEAN | 1);
                b->setLength(&st, i, 1);
                break;
            case Valor::Tipo::Dupla:
                b->setType(&st, i, SQL_DOUBLE | 1);
                b->setLength(&st, i, sizeof(double));
                b->setScale(&st, i, 0);
                break;
            case Valor::Tipo::Data:
                b->setType(&st, i, SQL_TYPE_DATE | 1);
                b->setLength(&st, i, sizeof(ISC_DATE));
                break;
            case Valor::Tipo::DataHora:
                b->setType(&st, i, SQL_TIMESTAMP | 1);
                b->setLength(&st, i, sizeof(ISC_TIMESTAMP));
                break;
        }
    }
    meta.reset(b->getMetadata(&st));
    buf.assign(meta->getMessageLength(&st), 0);
    for (unsigned i = 0; i < n; ++i) {
        const Valor& v = valoresParam[i];
        unsigned char* p = buf.data() + meta->getOffset(&st, i);
        short* nulo = reinterpret_cast<short*>(buf.data() + meta->getNullOffset(&st, i));
        *nulo = v.nulo() ? -1 : 0;
        if (v.nulo()) continue;
        const unsigned t = meta->getType(&st, i) & ~1u;
        switch (t) {
            case SQL_VARYING: {
                const std::string& s = v.bytes();
                const uint16_t len = static_cast<uint16_t>(s.size());
                std::memcpy(p, &len, 2);
                std::memcpy(p + 2, s.data(), s.size());
                break;
            }
            case SQL_BLOB: {
                const ISC_QUAD id = gravarBlob(st, v.bytes());
                std::memcpy(p, &id, sizeof id);
                break;
            }
            case SQL_INT64: {
                const int64_t x = v.tipo() == Valor::Tipo::Inteiro ? v.escalado() : v.inteiro();
                std::memcpy(p, &x, sizeof x);
                break;
            }
            case SQL_BOOLEAN: *p = v.inteiro() ? 1 : 0; break;
            case SQL_DOUBLE: {
                const double x = v.dupla();
                std::memcpy(p, &x, sizeof x);
                break;
            }
            case SQL_TYPE_DATE: {
                const Data d = v.data();
                const ISC_DATE x = api::util()->encodeDate(static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                                                           static_cast<unsigned>(d.day()));
                std::memcpy(p, &x, sizeof x);
                break;
            }
            case SQL_TIMESTAMP: {
                const DataHora dh = v.dataHora();
                ISC_TIMESTAMP ts;
                ts.timestamp_date = api::util()->encodeDate(static_cast<int>(dh.data.year()),
                                                            static_cast<unsigned>(dh.data.month()),
                                                            static_cast<unsigned>(dh.data.day()));
                ts.timestamp_time = api::util()->encodeTime(dh.hora, dh.minuto, dh.segundo, 0);
                std::memcpy(p, &ts, sizeof ts);
                break;
            }
            default: break;
        }
    }
}

void Comando::Impl::lerLinha(ThrowStatusWrapper& st) {
    const unsigned n = metaSaida->getCount(&st);
    for (unsigned i = 0; i < n; ++i) {
        const unsigned char* p = bufSaida.data() + metaSaida->getOffset(&st, i);
        const short nulo = *reinterpret_cast<const short*>(bufSaida.data() + metaSaida->getNullOffset(&st, i));
        if (nulo) { linha[i] = Valor(); continue; }
        const unsigned t = metaSaida->getType(&st, i) & ~1u;
        const int escala = metaSaida->getScale(&st, i);
        switch (t) {
            case SQL_VARYING: {
                uint16_t len;
                std::memcpy(&len, p, 2);
                linha[i] = Valor(std::string(reinterpret_cast<const char*>(p + 2), len));
                break;
            }
            case SQL_TEXT: {
                const unsigned len = metaSaida->getLength(&st, i);
                std::string s(reinterpret_cast<const char*>(p), len);
                const unsigned cs = metaSaida->getCharSet(&st, i);
                if (cs == CHARSET_UTF8) {
                    // CHAR(n) em UTF8 ocupa 4n bytes: mantém n caracteres, como a coluna declara
                    s = primeirosCaracteres(s, len / 4);
                }
                linha[i] = Valor(std::move(s));
                break;
            }
            case SQL_SHORT: { int16_t x; std::memcpy(&x, p, 2); linha[i] = Valor(static_cast<int64_t>(x), escala); break; }
            case SQL_LONG: { int32_t x; std::memcpy(&x, p, 4); linha[i] = Valor(static_cast<int64_t>(x), escala); break; }
            case SQL_INT64: { int64_t x; std::memcpy(&x, p, 8); linha[i] = Valor(x, escala); break; }
            case SQL_FLOAT: { float x; std::memcpy(&x, p, 4); linha[i] = Valor(static_cast<double>(x)); break; }
            case SQL_DOUBLE: case SQL_D_FLOAT: { double x; std::memcpy(&x, p, 8); linha[i] = Valor(x); break; }
            case SQL_BOOLEAN: linha[i] = Valor(*p != 0); break;
            case SQL_TYPE_DATE: {
                ISC_DATE x; std::memcpy(&x, p, sizeof x);
                unsigned a, m, d;
                api::util()->decodeDate(x, &a, &m, &d);
                linha[i] = Valor(Data{std::chrono::year(static_cast<int>(a)), std::chrono::month(m), std::chrono::day(d)});
                break;
            }
            case SQL_TIMESTAMP: {
                ISC_TIMESTAMP x; std::memcpy(&x, p, sizeof x);
                unsigned a, m, d, h, mi, s, f;
                api::util()->decodeDate(x.timestamp_date, &a, &m, &d);
                api::util()->decodeTime(x.timestamp_time, &h, &mi, &s, &f);
                linha[i] = Valor(DataHora{Data{std::chrono::year(static_cast<int>(a)), std::chrono::month(m), std::chrono::day(d)},
                                          static_cast<int>(h), static_cast<int>(mi), static_cast<int>(s)});
                break;
            }
            case SQL_TYPE_TIME: {
                ISC_TIME x; std::memcpy(&x, p, sizeof x);
                unsigned h, mi, s, f;
                api::util()->decodeTime(x, &h, &mi, &s, &f);
                char buf[16];
                std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", h, mi, s);
                linha[i] = Valor(std::string(buf));
                break;
            }
            case SQL_BLOB: {
                ISC_QUAD id; std::memcpy(&id, p, sizeof id);
                const int sub = metaSaida->getSubType(&st, i);
                std::string bytes = lerBlob(st, id);
                linha[i] = sub == 1 ? Valor(std::move(bytes)) : Valor::binario(std::move(bytes));
                break;
            }
            default: linha[i] = Valor(); break;
        }
    }
}

void Comando::executar() {
    fecharCursor();
    api::chamar([&](ThrowStatusWrapper& st) {
        api::Ref<IMessageMetadata> meta;
        std::vector<unsigned char> buf;
        d_->prepararEntrada(st, meta, buf);
        if (d_->tipo == isc_info_sql_stmt_select || d_->tipo == isc_info_sql_stmt_select_for_upd) {
            d_->cursor.reset(d_->stmt->openCursor(&st, d_->tr.handle(), meta.get(), buf.data(), d_->metaSaida.get(), 0));
            d_->temLinha = false;
        } else {
            const bool comSaida = !d_->linha.empty();
            d_->stmt->execute(&st, d_->tr.handle(), meta.get(), buf.data(), comSaida ? d_->metaSaida.get() : nullptr,
                              comSaida ? d_->bufSaida.data() : nullptr);
            if (comSaida) { d_->lerLinha(st); d_->temLinha = true; }
        }
    });
}

bool Comando::proximo() {
    if (!d_->cursor) {
        if (d_->tipo != isc_info_sql_stmt_select && d_->tipo != isc_info_sql_stmt_select_for_upd) return false;
        executar();
    }
    bool ok = false;
    api::chamar([&](ThrowStatusWrapper& st) {
        ok = d_->cursor->fetchNext(&st, d_->bufSaida.data()) == IStatus::RESULT_OK;
        if (ok) d_->lerLinha(st);
    });
    d_->temLinha = ok;
    if (!ok) fecharCursor();
    return ok;
}

void Comando::fecharCursor() {
    if (!d_->cursor) return;
    try {
        api::chamar([&](ThrowStatusWrapper& st) { d_->cursor->close(&st); d_->cursor.soltar(); });
    } catch (...) {
        d_->cursor.reset();
    }
}

int Comando::colunas() const { return static_cast<int>(d_->nomesColuna.size()); }
std::string Comando::nomeColuna(int i) const { return d_->nomesColuna.at(static_cast<size_t>(i)); }
const Valor& Comando::coluna(int i) const { return d_->linha.at(static_cast<size_t>(i)); }

bool Comando::temColuna(const std::string& nome) const {
    const std::string n = maiusculas(nome);
    return std::find(d_->nomesColuna.begin(), d_->nomesColuna.end(), n) != d_->nomesColuna.end();
}

const Valor& Comando::operator[](const std::string& nome) const {
    const std::string n = maiusculas(nome);
    for (size_t i = 0; i < d_->nomesColuna.size(); ++i)
        if (d_->nomesColuna[i] == n) return d_->linha[i];
    throw ErroBanco("Coluna '" + nome + "' não encontrada");
}

void Comando::executarDireto(Transacao& t, const std::string& sql) {
    if (!t.ativa()) t.iniciar();
    // Executado sem preparar, pode ser DDL: os comandos guardados são liberados antes
    if (api::CacheComandos* cache = t.conexao().cacheComandos()) api::liberarComandos(*cache);
    api::chamar([&](ThrowStatusWrapper& st) {
        t.conexao().anexo()->execute(&st, t.handle(), 0, sql.c_str(), 3, nullptr, nullptr, nullptr, nullptr);
    });
}

}  // namespace kov::fb
