// The helper of the web commands, run in a world of its own in every document (and its
// frames) of the embedded browser. The page's scripts cannot see or change it; the DOM is
// shared. Elements are handed out as numbers into a list kept by the top document.
(function () {
    'use strict';
    if (window.__vd) {
        return;
    }
    var vd = {nav: false, token: Math.random().toString(36).slice(2)};
    window.__vd = vd;

    function root() {
        try {
            return (window.top && window.top.__vd) || vd;
        } catch (e) {
            return vd;
        }
    }

    // A submit that goes ahead, or a followed link, means a page is on its way.
    window.addEventListener('submit', function (event) {
        if (!event.defaultPrevented) {
            root().nav = true;
        }
    });
    window.addEventListener('click', function (event) {
        if (event.defaultPrevented) {
            return;
        }
        var node = event.target;
        while (node && node.nodeType === 1 && node.tagName !== 'A') {
            node = node.parentNode;
        }
        if (node && node.tagName === 'A') {
            // Only web addresses load in this page; a new window is not this page's load.
            var href = node.getAttribute('href') || '';
            var web = node.protocol === 'http:' || node.protocol === 'https:';
            if (web && href !== '' && href.charAt(0) !== '#' && node.target !== '_blank') {
                root().nav = true;
            }
        }
    });
    window.addEventListener('load', function () {
        console.log('\u0001veredivo-complete ' + (window === window.top ? 'top ' : 'frame ') +
                    location.href);
    });

    vd.reg = [];
    vd.put = function (element) {
        var top = root();
        top.reg.push(element);
        return top.reg.length - 1;
    };
    vd.get = function (handle) {
        var element = root().reg[handle];
        if (!element || !element.isConnected) {
            throw new Error('The element is no longer on the page');
        }
        return element;
    };
    vd.win = function (path) {
        var w = window;
        for (var i = 0; i < path.length; ++i) {
            w = w.frames[path[i]];
            if (!w) {
                throw new Error('The frame is no longer on the page');
            }
        }
        return w;
    };
    vd.doc = function (path) {
        return vd.win(path).document;
    };
    function formField(element) {
        var tag = element.tagName;
        return tag === 'INPUT' || tag === 'SELECT' || tag === 'TEXTAREA' || tag === 'BUTTON';
    }
    vd.type = function (element) {
        return formField(element) ? (element.type || '') : (element.getAttribute('type') || '');
    };
    vd.attr = function (element, name) {
        var lower = name.toLowerCase();
        if (lower === 'value' && (formField(element) || element.tagName === 'OPTION')) {
            return String(element.value);
        }
        if (lower === 'type') {
            return vd.type(element);
        }
        if (lower === 'checked' && element.tagName === 'INPUT') {
            return element.checked ? 'true' : '';
        }
        var value = element.getAttribute(name);
        return value === null ? '' : String(value);
    };
    vd.snap = function (element) {
        var tag = element.tagName.toUpperCase();
        var s = {
            h: vd.put(element), tag: tag, id: vd.attr(element, 'id'),
            name: vd.attr(element, 'name'), type: vd.type(element),
            value: vd.attr(element, 'value'), src: vd.attr(element, 'src')
        };
        if (tag === 'A') {
            s.html = element.innerHTML;
        }
        if (tag === 'TD' || tag === 'TH') {
            s.text = element.innerText;
        }
        return s;
    };
    vd.list = function (elements) {
        var out = [];
        for (var i = 0; i < elements.length; ++i) {
            out.push(vd.snap(elements[i]));
        }
        return out;
    };
    vd.tags = function (path, tag) {
        return vd.list(vd.doc(path).getElementsByTagName(tag));
    };
    vd.all = function (path) {
        return vd.list(vd.doc(path).getElementsByTagName('*'));
    };
    vd.text = function (path) {
        var body = vd.doc(path).body;
        return body ? body.innerText : '';
    };
    vd.address = function (path) {
        return vd.win(path).location.href;
    };
    vd.frames = function (path) {
        var w = vd.win(path);
        var out = [];
        for (var i = 0; i < w.frames.length; ++i) {
            var name = '', href = '';
            try {
                name = w.frames[i].name;
                href = w.frames[i].location.href;
            } catch (e) {
                // A frame of another site tells nothing.
            }
            out.push({name: name, address: href});
        }
        return out;
    };
    vd.state = function () {
        var tokens = [], complete = true;
        function walk(w) {
            var token = '';
            try {
                token = w.__vd ? w.__vd.token : '';
                if (w.document.readyState !== 'complete') {
                    complete = false;
                }
            } catch (e) {
                token = 'foreign';
            }
            tokens.push(token);
            for (var i = 0; i < w.frames.length; ++i) {
                walk(w.frames[i]);
            }
        }
        walk(window);
        return {tokens: tokens, complete: complete};
    };
    vd.fire = function (element, name) {
        var type = name.toLowerCase();
        if (type.indexOf('on') === 0) {
            type = type.substring(2);
        }
        var event;
        if (type === 'keypress' || type === 'keydown' || type === 'keyup') {
            event = new KeyboardEvent(type, {bubbles: true, cancelable: true});
        } else if (type === 'focus' || type === 'blur') {
            event = new FocusEvent(type, {bubbles: false});
        } else {
            // A plain event: the page's handlers run, but no link or button acts on it.
            event = new Event(type, {bubbles: true, cancelable: true});
        }
        element.dispatchEvent(event);
    };
    vd.click = function (element) {
        var top = root();
        top.nav = false;
        element.click();
        return top.nav;
    };
    vd.submit = function (element) {
        root().nav = true;
        HTMLFormElement.prototype.submit.call(element);
        return true;
    };
    vd.options = function (element) {
        var out = [];
        for (var i = 0; i < element.options.length; ++i) {
            out.push({text: element.options[i].text, selected: element.options[i].selected});
        }
        return out;
    };
    vd.select = function (element, index) {
        if (element.multiple) {
            element.options[index].selected = true;
        } else {
            element.selectedIndex = index;
        }
    };
    vd.parent = function (element) {
        var parent = element.parentElement;
        return parent ? vd.snap(parent) : null;
    };
})();
