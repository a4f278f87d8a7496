#pragma once
// A conexão com a base Firebird. Um caminho simples abre a base com o servidor
// embutido (nada a instalar ou iniciar); "host:caminho" usa um servidor.
#include <memory>
#include <string>

namespace Firebird { class IAttachment; }

namespace kov::fb {

namespace api { struct CacheComandos; }

struct ParametrosConexao {
    std::string banco;                    // caminho ou host:caminho
    std::string usuario = "sysdba";
    std::string senha = "quillmoss";
    std::string conjuntoCaracteres = "UTF8";  // da conexão; a base guarda WIN1252
};

class Conexao {
public:
    Conexao();
    ~Conexao();
    Conexao(const Conexao&) = delete;
    Conexao& operator=(const Conexao&) = delete;

    // Abre a base; lança ErroBanco com o texto do servidor.
    void abrir(const ParametrosConexao& p);
    void fechar();  // nunca lança
    bool aberta() const;
    const ParametrosConexao& parametros() const { return parametros_; }

    // Cria uma base nova (dialeto 3, conjunto de caracteres padrão WIN1252) e a deixa aberta.
    void criar(const ParametrosConexao& p, int tamanhoPagina = 8192);

    // Apaga a base aberta (usada para não deixar uma base criada pela metade).
    void apagarBase();

    Firebird::IAttachment* anexo() const { return anexo_; }
    // Comandos guardados para reuso, ou nulo quando nenhum ReusoDeComandos está ativo.
    api::CacheComandos* cacheComandos() const { return cache_.get(); }

private:
    friend class ReusoDeComandos;
    ParametrosConexao parametros_;
    Firebird::IAttachment* anexo_ = nullptr;
    std::unique_ptr<api::CacheComandos> cache_;
};

// Enquanto existe, cada texto SQL preparado na conexão é guardado e reusado pelos
// Comandos seguintes com o mesmo texto, em qualquer transação: o trabalho em lote que
// repete os mesmos comandos milhares de vezes (a importação de planilhas, a consistência
// de um lote) não prepara cada um a cada linha. DDL na própria conexão libera os guardados
// antes de executar; DDL de outra conexão nas tabelas que eles usam é recusado enquanto
// estiverem guardados ("object in use").
class ReusoDeComandos {
public:
    explicit ReusoDeComandos(Conexao& c);
    ~ReusoDeComandos();  // libera os comandos guardados
    ReusoDeComandos(const ReusoDeComandos&) = delete;
    ReusoDeComandos& operator=(const ReusoDeComandos&) = delete;

private:
    Conexao& c_;
    bool dono_ = false;  // falso quando já havia um reuso ativo na conexão
};

}  // namespace kov::fb
