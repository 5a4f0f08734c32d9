// Small helpers for building the page's parts.

/** A new element of `tag` with `className`, appended to `parent` when one is given. */
export function element(tag, className, parent) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (parent) parent.appendChild(node);
  return node;
}
