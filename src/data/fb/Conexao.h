#pragma once
// A conexão com a base Firebird. Um caminho simples abre a base com o servidor
// embutido (nada a instalar ou iniciar); "host:caminho" usa um servidor.
#include <memory>
#include <string>

namespace Firebird { class IAttachment; }

namespace kov::fb {

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

private:
    ParametrosConexao parametros_;
    Firebird::IAttachment* anexo_ = nullptr;
};

}  // namespace kov::fb
