// Substituto do transmissor da administração (ENVIAX.EXE) para as instalações de teste e de
// demonstração. Recebe os caminhos dos arquivos de declaração na linha de comando e, em cada
// um, preenche o bloco protocolo do cabeçalho (número de 17 dígitos, data "dd/mm/aaaa" e hora
// "hh:mm:ss") e recalcula o verificador de integridade com o serializador do programa, como o
// transmissor real devolve os arquivos entregues. Não fala com ninguém e não escreve na saída
// padrão (só os erros vão para a saída de erros).
//
// Variáveis de ambiente para os testes conduzirem cada desfecho:
//   ENVIAX_SEM_PROTOCOLO  nomes de arquivo (sem a pasta) separados por ";" que ficam sem
//                         protocolo; "*" deixa todos sem protocolo
//   ENVIAX_APAGAR         nomes de arquivo (sem a pasta), separados por ";", que são apagados
//   ENVIAX_NUMERO         o número de protocolo a escrever, como está (qualquer tamanho)
//   ENVIAX_DATA           a data de entrega a escrever, como está (no lugar da data de hoje)
//   ENVIAX_HORA           a hora de entrega a escrever, como está (no lugar da hora de agora)
//   ENVIAX_SAIR           termina logo, sem tocar em nenhum arquivo (código 1)
//   ENVIAX_REGISTRO       arquivo onde a linha de comando recebida é anotada, um argumento por linha
#include <libxml/tree.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include "files/DocumentoXml.h"
#include "files/untManipula_XML.h"

namespace {

std::set<std::string> nomesDaVariavel(const char* nome) {
    std::set<std::string> v;
    const char* valor = std::getenv(nome);
    if (!valor) return v;
    std::stringstream ss(valor);
    std::string item;
    while (std::getline(ss, item, ';'))
        if (!item.empty()) v.insert(item);
    return v;
}

void definirTexto(xmlNode* pai, const char* nome, const std::string& texto) {
    xmlNode* n = kov::FilhoElemento(pai, nome);
    if (!n) n = xmlNewChild(pai, nullptr, reinterpret_cast<const xmlChar*>(nome), nullptr);
    xmlNodeSetContent(n, nullptr);
    xmlNodeAddContent(n, reinterpret_cast<const xmlChar*>(texto.c_str()));
}

// Número de 17 dígitos: data e hora da entrega (14) e a ordem do arquivo na chamada (3).
std::string numeroProtocolo(const std::tm& t, int ordem) {
    char b[64];
    std::snprintf(b, sizeof b, "%04d%02d%02d%02d%02d%02d%03d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                  t.tm_min, t.tm_sec, ordem % 1000);
    return b;
}

void protocolar(const std::string& caminho, const std::string& numero, const std::tm& t) {
    kov::DocumentoXml doc = kov::LerArquivoXml(caminho);
    xmlNode* cab = kov::FilhoElemento(doc.raiz(), "cabecalho");
    if (!cab) throw std::runtime_error("arquivo sem cabecalho");
    xmlNode* protocolo = kov::FilhoElemento(cab, "protocolo");
    if (!protocolo) throw std::runtime_error("arquivo sem protocolo");
    char data[16], hora[16];
    std::strftime(data, sizeof data, "%d/%m/%Y", &t);
    std::strftime(hora, sizeof hora, "%H:%M:%S", &t);
    const char* dataFixa = std::getenv("ENVIAX_DATA");
    const char* horaFixa = std::getenv("ENVIAX_HORA");
    definirTexto(protocolo, "data", dataFixa ? dataFixa : data);
    definirTexto(protocolo, "hora", horaFixa ? horaFixa : hora);
    definirTexto(protocolo, "numero", numero);
    // O verificador cobre o arquivo devolvido, protocolo incluído: sai, é recalculado e volta
    // como último filho de cabecalho.
    if (xmlNode* v = kov::FilhoElemento(cab, "verificador_integridade")) {
        xmlUnlinkNode(v);
        xmlFreeNode(v);
    }
    const std::string verificador = kov::VerificadorDosBytes(kov::SerializarDocumento(doc));
    xmlNewTextChild(cab, nullptr, reinterpret_cast<const xmlChar*>("verificador_integridade"),
                    reinterpret_cast<const xmlChar*>(verificador.c_str()));
    kov::SalvarArquivoXml(doc, caminho);
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* registro = std::getenv("ENVIAX_REGISTRO")) {
        std::ofstream r(registro, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < argc; ++i) r << argv[i] << "\n";
    }
    if (std::getenv("ENVIAX_SAIR")) return 1;
    const std::set<std::string> semProtocolo = nomesDaVariavel("ENVIAX_SEM_PROTOCOLO");
    const std::set<std::string> apagar = nomesDaVariavel("ENVIAX_APAGAR");
    const char* numeroFixo = std::getenv("ENVIAX_NUMERO");
    const std::time_t agora = std::time(nullptr);
    std::tm t{};
    localtime_r(&agora, &t);
    int falhas = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string caminho = argv[i];
        const std::string nome = std::filesystem::path(caminho).filename().string();
        try {
            if (apagar.count(nome)) {
                std::filesystem::remove(caminho);
                continue;
            }
            if (semProtocolo.count("*") || semProtocolo.count(nome)) continue;
            const std::string numero = numeroFixo ? numeroFixo : numeroProtocolo(t, i);
            protocolar(caminho, numero, t);
        } catch (const std::exception& e) {
            std::cerr << caminho << ": " << e.what() << "\n";
            ++falhas;
        }
    }
    return falhas > 0 ? 2 : 0;
}
