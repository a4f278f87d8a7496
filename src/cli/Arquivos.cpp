// Verbos dos arquivos de declaração: conferir o verificador de integridade e decifrar o
// bloco de dados (para o suporte).
#include <filesystem>

#include "cli/Comum.h"
#include "data/untUtils.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/untManipula_XML.h"
#include "files/untRestauraXmlKOV.h"

namespace kov::cli {

namespace {

int conferirVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.empty()) return usoIncorreto(v, c);
    if (!arquivosExistem(a, c)) return USO_INCORRETO;
    InteracaoCli ui(c.err);
    size_t falhas = 0;
    for (const auto& arq : a) {
        std::string situacao;
        bool confere = false;
        try {
            confere = ConferirVerificador(arq, ui);
            situacao = confere ? "Verificador de integridade confere" : "Verificador de integridade não confere";
        } catch (const std::exception& e) {
            situacao = e.what();
        }
        if (!confere) ++falhas;
        c.out << arq << '\t' << situacao << "\n";
    }
    return falhas > 0 ? 1 : 0;
}

int decifrarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.size() != 1) return usoIncorreto(v, c);
    if (!arquivosExistem(a, c)) return USO_INCORRETO;
    InteracaoCli ui(c.err);
    DocumentoXml doc;
    std::string texto;
    try {
        doc = LerArquivoXml(a[0]);
    } catch (const std::exception&) {
        c.err << MSG_FORMATO_INVALIDO << "\n";
        return 1;
    }
    try {
        texto = TextoCifradoDoArquivo(doc);
    } catch (const ErroSistema& e) {
        c.err << e.what() << "\n";  // sem dados, ou dados às claras
        return 1;
    }
    const std::string claro = DecifrarTexto(texto, c.dir.empty() ? DiretorioAplicacao() : IncluirBarra(c.dir), ui);
    if (claro.empty()) return 1;  // a caixa de erro da cifra já foi mostrada
    // As linhas do bloco como foram cifradas: bytes de 8 bits, cada linha com CR LF
    c.out << claro << "\r\n";
    return 0;
}

}  // namespace

void verbosArquivos(std::vector<Verbo>& v) {
    v.push_back({"arquivos", "conferir", "ARQUIVO...",
                 "Confere o verificador de integridade de cada arquivo de declaração.\n"
                 "Uma linha por arquivo: o caminho e a situação (confere, não confere ou o erro).\n"
                 "Como na captura de protocolos, o arquivo é regravado com o verificador no fim do\n"
                 "cabeçalho. Saída 1 quando algum não confere.",
                 conferirVerbo});
    v.push_back({"arquivos", "decifrar", "ARQUIVO",
                 "Mostra o bloco de dados decifrado de um arquivo gravado com cifra (para o suporte).\n"
                 "Usa a chave PrivateKey.dat da pasta do programa. A saída são os bytes do bloco como\n"
                 "foram cifrados: ISO-8859-1, uma marca ou valor por linha, linhas com CR LF.",
                 decifrarVerbo});
}

}  // namespace kov::cli
