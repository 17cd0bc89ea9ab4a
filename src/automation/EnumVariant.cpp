#include "automation/EnumVariant.h"

#include "automation/AddInClassesIntf.h"

TEnumVariantCollection::TEnumVariantCollection(TDispatchPtr collection, IEnumerableCollection* items,
                                               TComServer* server)
    : IEnumVARIANT(server), m_collection(std::move(collection)), m_items(items)
{
    if (!m_collection || !m_items)
        throw EOleError(QStringLiteral("Assertion failure (ComLib)"));
}

QVariantList TEnumVariantCollection::Next(int celt)
{
    if (celt < 0)
        throw EOleSysError(E_INVALIDARG);
    QVariantList items;
    for (int fetched = 0; fetched < celt; ++fetched) {
        // The collection may shrink between calls (documents close): read its count each time.
        if (m_position >= m_items->enumCount())
            break;
        items.append(objectValue(m_items->enumItem(int(m_position))));
        ++m_position;
    }
    return items;
}

bool TEnumVariantCollection::Skip(int celt)
{
    if (celt < 0)
        throw EOleSysError(E_INVALIDARG);
    const qint64 count = m_items->enumCount();
    if (m_position + celt <= count) {
        m_position += celt;
        return true;
    }
    m_position = count;
    return false;
}

void TEnumVariantCollection::Reset()
{
    m_position = 0;
}

TComPtr<IEnumVARIANT> TEnumVariantCollection::Clone()
{
    return makeComObject<TEnumVariantCollection>(m_collection, m_items, server());
}
